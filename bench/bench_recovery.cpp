// The recovery copy of a 50 MB page: what the window's thread does when a copy is due
// (read the text from the box), what the worker does (compare it with the baseline, write
// the copy), and what the offer at the next opening does (read the copy back).
#include "ui/application.h"
#include "recovery/recovery_folder.h"
#include "ui/document_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <functional>

namespace {

constexpr qsizetype kPageBytes = 50 * 1000 * 1000;

QString generatePage()
{
    const QString line = QStringLiteral("<p>今日は<b>HTML</b>と<a href=\"page12.htm\">CSS</a>の日記を更新しました。</p>\r\n");
    const qsizetype lineBytes = line.toUtf8().size();
    QString page;
    page.reserve(kPageBytes / 2);
    for (qsizetype bytes = 0; bytes < kPageBytes; bytes += lineBytes)
        page += line;
    return page;
}

double timed(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication(app);
    QTemporaryDir folder;
    const QString copyPath = folder.path() + QStringLiteral("/recovery-bench.txt");

    const QString baseline = generatePage();
    TextModel model;
    DocumentBox box(model);
    box.setDocumentText(baseline);
    // One edit at the very end: comparing with the baseline reads all of both.
    model.replace(model.length(), model.length(), QStringLiteral("x"));

    QString text;
    const double read = timed([&] { text = box.documentText(); });
    bool written = false;
    const double write = timed([&] {
        written = keepRecoveryCopy(copyPath, QStringLiteral("/tmp/page.htm"), text, baseline);
    });
    std::optional<RecoveryCopy> back;
    const double reread = timed([&] { back = readRecoveryCopy(copyPath); });
    if (!written || !back || back->text != text) {
        std::fprintf(stderr, "bench_recovery: the copy did not come back as written\n");
        return 1;
    }
    std::printf("recovery copy of a %.0f MB page (ms)\n", double(text.toUtf8().size()) / 1e6);
    std::printf("  window thread: read the box     %8.1f\n", read);
    std::printf("  worker: compare, write the copy %8.1f\n", write);
    std::printf("  offer: read the copy back       %8.1f\n", reread);
    return 0;
}
