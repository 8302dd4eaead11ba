// The markup logic under the box's colour, partner-tag marks and typing help, on a generated
// 50 MB page: how long a line takes to colour, and how long one structure question takes.
#include "html/html_scan.h"
#include "html/markup_structure.h"
#include "html/scan_states.h"
#include "jtext/character_references.h"
#include "jtext/width_and_kana.h"
#include "typing/indentation.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <cstdio>
#include <ctime>

namespace {

constexpr qsizetype kPageBytes = 50 * 1000 * 1000;

// Lines of a hand-written page: nested elements, a style sheet and a script now and then.
QString generatePage()
{
    static const char16_t* const lines[] = {
        u"<div class=\"entry\">",
        u"  <p>今日は<b>HTML</b>と<a href=\"page12.htm\" title='日記'>CSS</a>の日記を更新しました&hellip;</p>",
        u"  <!-- 先週の写真 -->",
        u"  <ul><li><img src=\"cat.jpg\" alt=\"猫\"><br></li><li>犬 &amp; 鳥</li></ul>",
        u"  <style>p { color: #333; font-size: 12px; } /* 本文 */</style>",
        u"  <script>var s = 'x</b>'; if (a < b) { f(\"y\"); } // 終わり</script>",
        u"</div>",
    };
    QString page;
    page.reserve(kPageBytes / 2);
    qsizetype bytes = 0;
    for (int i = 0; bytes < kPageBytes; ++i) {
        const QString line = QString::fromUtf16(lines[i % 7]);
        bytes += line.toUtf8().size() + 1;
        page += line;
        page += u'\n';
    }
    return page;
}

double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// The machine is shared, so the processor time of this program says more than the clock.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

}

int main()
{
    const QString page = generatePage();
    const QList<QStringView> lines = QStringView(page).split(u'\n');
    std::printf("page: %lld characters, %lld lines\n", qlonglong(page.size()), qlonglong(lines.size()));

    QList<html::RoleRun> runs;
    QElapsedTimer t;
    t.start();
    double cpu = cpuMs();
    html::ScanState state = html::kPageStart;
    qsizetype runCount = 0;
    for (const QStringView line : lines) {
        runs.clear();
        state = html::scan(state, line, html::TextEnd::LineEnd, runs);
        runCount += runs.size();
    }
    const double all = msSince(t);
    const double allCpu = cpuMs() - cpu;
    std::printf("colour every line: %.0f ms (%.0f ms of processor time), %.2f us a line, %.0f MB/s of text (%lld runs)\n",
                all, allCpu, allCpu * 1000 / lines.size(), page.size() * 2 / allCpu / 1000, qlonglong(runCount));

    // A 10 MB single line as the box holds it: pieces of 4096 characters.
    const QString longLine = QString(page.left(5 * 1000 * 1000)).replace(u'\n', u' ');
    t.restart();
    cpu = cpuMs();
    state = html::kPageStart;
    double worstPiece = 0;
    for (qsizetype at = 0; at < longLine.size(); at += 4096) {
        QElapsedTimer p;
        p.start();
        runs.clear();
        const bool last = at + 4096 >= longLine.size();
        state = html::scan(state, QStringView(longLine).mid(at, 4096), last ? html::TextEnd::LineEnd : html::TextEnd::Piece, runs);
        worstPiece = std::max(worstPiece, msSince(p));
    }
    const double pieces = cpuMs() - cpu;
    std::printf("colour a 10 MB line in pieces of 4096: %.0f ms of processor time, %.3f ms a piece on average, worst %.3f ms by the clock\n", pieces,
                pieces / ((longLine.size() + 4095) / 4096), worstPiece);

    // The states kept per line, as the box would ask for them: the first screen, a character
    // typed mid-page and the screen around it, "<!--" typed at the top, then Ctrl+End.
    {
        QList<QString> edited(lines.size());
        const auto textOf = [&](qsizetype unit) {
            return html::ScanStates::Unit{edited[unit].isNull() ? lines[unit].toString() : edited[unit], html::TextEnd::LineEnd};
        };
        html::ScanStates states(textOf, lines.size());
        const qsizetype mid = lines.size() / 2;
        const auto step = [&](const char* what, auto&& call) {
            const double before = cpuMs();
            call();
            std::printf("kept states, %s: %.3f ms of processor time\n", what, cpuMs() - before);
        };
        step("first screen", [&] { states.stateAt(60); });
        step("a screen mid-page, guessed from 200 lines back", [&] {
            for (qsizetype u = mid; u < mid + 60; ++u)
                states.guessAt(u, 200);
        });
        step("a quote typed mid-page and the screen", [&] {
            edited[mid + 1] = lines[mid + 1].toString().replace(QStringLiteral("title='"), QStringLiteral("title='x"));
            states.unitsChanged(mid + 1, 1, 1);
            for (qsizetype u = mid; u < mid + 60; ++u)
                states.guessAt(u, 200);
        });
        step("all worked out in slices of 100000 characters", [&] {
            int slices = 1;
            while (!states.workAhead(100000))
                ++slices;
            std::printf("(%d slices) ", slices);
        });
        step("'<!--' typed at the top and the first screen", [&] {
            edited[0] = QStringLiteral("<!--") + lines[0].toString();
            states.unitsChanged(0, 1, 1);
            states.stateAt(60);
        });
        step("then Ctrl+End, guessed", [&] {
            for (qsizetype u = lines.size() - 60; u <= lines.size(); ++u)
                states.guessAt(u, 200);
        });
        step("then Ctrl+End, worked out", [&] { states.stateAt(lines.size()); });
    }

    const qsizetype middle = page.size() / 2;
    const qsizetype divAt = page.indexOf(u"<div", middle) + 2;
    const qsizetype endDivAt = page.indexOf(u"</div>", middle) + 2;
    const qsizetype textAt = page.indexOf(u"犬", middle) + 1;
    const auto timeIt = [](const char* what, int times, auto&& call) {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = cpuMs();
        bool found = false;
        for (int i = 0; i < times; ++i)
            found = call();
        std::printf("%s: %.3f ms a call, %.3f ms of processor time (%s)\n", what, msSince(timer) / times,
                    (cpuMs() - cpuBefore) / times, found ? "found" : "none");
    };
    timeIt("partner of a start tag mid-page", 20, [&] { return html::partnerTags(page, divAt).has_value(); });
    timeIt("partner of an end tag mid-page", 20, [&] { return html::partnerTags(page, endDivAt).has_value(); });
    timeIt("caret in text, no tag", 20, [&] { return html::partnerTags(page, textAt).has_value(); });
    timeIt("open element for </", 20, [&] { return html::openElementAt(page, textAt).has_value(); });
    timeIt("element around the caret", 20, [&] { return html::elementAround(page, {textAt, textAt}).has_value(); });
    timeIt("leading blanks of a line", 100000, [&] { return !leadingBlanks(lines[1]).isEmpty(); });

    const QString oneMb = page.left(500 * 1000);
    timeIt("to references, 1 MB", 5, [&] { return jtext::toCharacterReferences(oneMb).changed > 0; });
    const QString refs = jtext::toCharacterReferences(oneMb).text;
    timeIt("from references, their text", 5, [&] { return jtext::fromCharacterReferences(refs).changed > 0; });
    timeIt("half to full width, 1 MB", 5, [&] { return jtext::halfWidthToFullWidth(oneMb).changed > 0; });
    return 0;
}
