// The recovery copy of a 50 MB page: what the window's thread does when a copy is due
// (read the text from the box), what the worker does (compare it with the baseline, write
// the copy), what the offer at the next opening does (read the copy back), and how long a save
// holds the window when the copy is being written at that moment.
#include "ui/application.h"
#include "document/document.h"
#include "recovery/recovery_folder.h"
#include "recovery/recovery_keeper.h"
#include "ui/document_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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
    Document document;
    TextModel& model = document.model();
    DocumentBox box(model);
    box.setDocumentText(baseline);
    // One edit at the very end: comparing with the baseline reads all of both.
    model.replace(model.length(), model.length(), QStringLiteral("x"));

    QString text;
    const double read = timed([&] { text = box.documentText(); });
    bool written = false;
    const double write = timed([&] {
        written = keepRecoveryCopy(copyPath, QStringLiteral("/tmp/page.htm"), text, TextFingerprint::of(baseline));
    });
    std::optional<RecoveryCopy> back;
    const double reread = timed([&] { back = readRecoveryCopy(copyPath); });
    if (!written || !back || back->text != text) {
        std::fprintf(stderr, "bench_recovery: the copy did not come back as written\n");
        return 1;
    }
    // A save while the keeper writes the copy: the page becomes the baseline, so the copy is
    // to go; the window's thread must not wait for the write to end.
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder.path()));
    QWidget window;
    document.setBaseline(baseline);
    RecoveryKeeper* keeper = installRecovery(document, box, window);
    document.setFilePath(QStringLiteral("/tmp/page.htm")); // has the keeper write its copy now
    const double saved = timed([&] { document.takeTextAsBaseline(text); });
    keeper->flush();
    if (QFile::exists(keeper->copyPath())) {
        std::fprintf(stderr, "bench_recovery: the copy stayed after the save\n");
        return 1;
    }

    std::printf("recovery copy of a %.0f MB page (ms)\n", double(text.toUtf8().size()) / 1e6);
    std::printf("  window thread: read the box     %8.1f\n", read);
    std::printf("  worker: compare, write the copy %8.1f\n", write);
    std::printf("  offer: read the copy back       %8.1f\n", reread);
    std::printf("  save while the copy is written  %8.1f\n", saved);
    return 0;
}
