// Finding and replacing in a generated 50 MB page: the next match anywhere in it, and
// すべて置換 of 100,000 matches, through the same session the search window uses.
#include "ui/application.h"
#include "ui/document_box.h"
#include "search/search_session.h"
#include "search/text_search.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr qsizetype kPageBytes = 50 * 1000 * 1000;
constexpr int kMatches = 100000;

// A page of about kPageBytes bytes of UTF-8 with exactly kMatches copies of the marker
// spread through it and one rare word near its end.
QString generatePage()
{
    static const char16_t* const lines[] = {
        u"<p>私はホームページを作りました。とても楽しかったです。</p>",
        u"<p>今日は<b>HTML</b>と<a href=\"page12.htm\">CSS</a>の日記を更新しました。</p>",
        u"<p>先週の土曜日に友人と駅前の本屋で旅行記を見に行きました。ぜひ見てください。</p>",
        u"<li><a href=\"photo.htm\">猫の写真</a> を紹介します。次回に続きます。</li>"};
    const QString marker = QStringLiteral("<font color=\"red\">注意</font>");
    QString page;
    page.reserve(kPageBytes / 2);
    qsizetype bytes = 0;
    const qsizetype perMatch = kPageBytes / kMatches;
    int placed = 0;
    for (int i = 0; bytes < kPageBytes; ++i) {
        QString line = QString::fromUtf16(lines[i % 4]);
        if (placed < kMatches && bytes >= placed * perMatch) {
            line.insert(3, marker);
            ++placed;
        }
        if (i == 10)
            line += QStringLiteral("探し物");
        if (bytes + 1000 >= kPageBytes && !page.contains(u"忘れ物"))
            line += QStringLiteral("忘れ物");
        bytes += line.toUtf8().size() + 2;
        page += line;
        page += QStringLiteral("\r\n");
    }
    return page;
}

// The processor time of the last timed step: on a shared machine the wall clock also counts
// the time others had the processor.
double s_lastCpuMs = 0;

double timed(const std::function<void()>& work)
{
    QElapsedTimer t;
    const std::clock_t cpu = std::clock();
    t.start();
    work();
    s_lastCpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC;
    return double(t.nsecsElapsed()) / 1e6;
}

void row(const char* what, double ms, const char* note = "")
{
    std::printf("%-58s %9.1f ms  (processor %7.1f ms)  %s\n", what, ms, s_lastCpuMs, note);
    std::fflush(stdout);
}

void caretAtStart(DocumentBox& box)
{
    QTextCursor c = box.textCursor();
    c.setPosition(0);
    box.setTextCursor(c);
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication(app);

    const QString page = generatePage();
    std::printf("page: %lld characters, %lld bytes of UTF-8, %d matches\n", (long long)page.size(),
                (long long)page.toUtf8().size(), kMatches);

    TextModel model;
    DocumentBox box(model);
    box.resize(600, 400);
    box.show();
    row("load into the box (for comparison)", timed([&] { box.setDocumentText(page); }));
    SearchSession* session = SearchSession::of(&box);

    auto findFar = [&](const char* what, SearchOptions options, const QString& pattern) {
        session->options = options;
        session->pattern = pattern;
        caretAtStart(box);
        SearchSession::Outcome outcome;
        const double ms = timed([&] { outcome = session->find(SearchDirection::Forward); });
        row(what, ms, outcome.kind == SearchSession::Outcome::Found ? "found" : "NOT FOUND");
    };
    findFar("find next, match at the end, first find (reads the page)", {.caseSensitive = true}, QStringLiteral("忘れ物"));
    findFar("find next, match at the end (target <= 50)", {.caseSensitive = true}, QStringLiteral("忘れ物"));
    model.replace(1000, 1000, QStringLiteral("x")); // through the edit path, as a keystroke goes
    findFar("  ... after typing a character", {.caseSensitive = true}, QStringLiteral("忘れ物"));
    findFar("  ... ignoring case", {}, QStringLiteral("忘れ物"));
    findFar("  ... whole word", {.caseSensitive = true, .wholeWord = true}, QStringLiteral("忘れ物"));
    findFar("  ... regular expression", {.caseSensitive = true, .regularExpression = true},
            QStringLiteral("忘れ[物者]"));
    {
        session->options = {.caseSensitive = true};
        session->pattern = QStringLiteral("探し物");
        QTextCursor c = box.textCursor();
        c.setPosition(box.document()->characterCount() - 1);
        box.setTextCursor(c);
        row("find previous from the end, match near the start",
            timed([&] { session->find(SearchDirection::Backward); }));
        session->options = {.regularExpression = true};
        session->pattern = QStringLiteral("探し[物者]");
        box.setTextCursor(c);
        row("  ... regular expression", timed([&] { session->find(SearchDirection::Backward); }));
    }

    // The core alone, on the search copy, then the whole command into the box.
    {
        TextSearch search(QStringLiteral("<font color=\"red\">"), {.caseSensitive = true});
        search.setReplacement(QStringLiteral("<span class=\"red\">"));
        QString lf = box.document()->toRawText();
        ReplacedStretch r;
        const double ms = timed([&] { r = search.replaceAll(lf, {0, lf.size()}); });
        row("replace all, the new text only (core)", ms, QByteArray::number(r.count).constData());
    }
    auto replaceAll = [&](const char* what, SearchOptions options, const QString& pattern, const QString& replacement) {
        session->options = options;
        session->pattern = pattern;
        session->replacement = replacement;
        SearchSession::Outcome outcome;
        const double ms = timed([&] {
            outcome = session->replaceAll();
            QCoreApplication::processEvents();
        });
        row(what, ms, QByteArray::number(outcome.count).append(" replaced").constData());
    };
    replaceAll("すべて置換, 100,000 matches (target <= 1000)", {.caseSensitive = true},
               QStringLiteral("<font color=\"red\">"), QStringLiteral("<span class=\"red\">"));
    row("undo of it (for comparison)", timed([&] { box.undoStep(); QCoreApplication::processEvents(); }));
    replaceAll("すべて置換, regular expression with a group", {.regularExpression = true},
               QStringLiteral("<font color=\"(\\w+)\">"), QStringLiteral("<span class=\"\\1\">"));
    row("  ... undo of it", timed([&] { box.undoStep(); QCoreApplication::processEvents(); }));
    row("  ... redo of it", timed([&] { box.redoStep(); QCoreApplication::processEvents(); }));
    return 0;
}
