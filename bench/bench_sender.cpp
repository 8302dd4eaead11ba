// Handing texts to a running editor: 1 MiB through the sender's standard input, and many
// senders at once. The editor runs in this process; the senders are the real command.
#include "ui/application.h"
#include "bench/own_folders.h"
#include "ui/document_box.h"
#include "app/main_window.h"
#include "platform/program_folder.h"
#include "usertags/endpoint_protocol.h"
#include "usertags/receiver.h"
#include "usertags/user_tag_menu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString kSender = QStringLiteral(VORNIK_PROGRAM_DIR "/vornikedit-send");

// Waits on the event loop, where the editor answers.
bool waitFor(const std::vector<std::unique_ptr<QProcess>>& senders, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    auto running = [&senders] {
        return std::any_of(senders.begin(), senders.end(),
                           [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    while (running() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !running();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// 1 MiB of Japanese text with line breaks, exactly the sender's limit.
QByteArray megabyteOfText()
{
    QByteArray bytes;
    const QByteArray line = QString("ホームページを更新しました。\r\n").toUtf8();
    while (bytes.size() + line.size() <= endpoint::kMaxPayload)
        bytes += line;
    return bytes + QByteArray(endpoint::kMaxPayload - bytes.size(), 'x');
}

}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Every insert raises the window, which the offscreen platform warns about each time.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
            if (!message.contains(QLatin1String("raise()")))
                std::fprintf(stderr, "%s\n", qPrintable(message));
        });
    }
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const OwnFolders folders;
    QApplication app(argc, argv);
    prepareApplication(app);
    QTemporaryDir folder;
    platform::setProgramFolderForTesting(folder.path());
    HtmlE window;
    window.startUp(QString());
    window.show();
    if (!receiverOf(window) || !receiverOf(window)->ownsEndpoint()) {
        std::fprintf(stderr, "no endpoint\n");
        return 1;
    }

    const QByteArray megabyte = megabyteOfText();
    std::vector<double> stdinTimes;
    for (int i = 0; i < repetitions; ++i) {
        window.setDocument(QString());
        std::vector<std::unique_ptr<QProcess>> one;
        one.push_back(std::make_unique<QProcess>());
        QElapsedTimer clock;
        clock.start();
        one[0]->start(kSender, QStringList());
        one[0]->write(megabyte);
        one[0]->closeWriteChannel();
        if (!waitFor(one, 60000) || one[0]->exitCode() != 0
            || window.editwindow()->documentText().size() < megabyte.size() / 3) {
            std::fprintf(stderr, "1 MiB through standard input failed\n");
            return 1;
        }
        stdinTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("stdin 1 MiB, sender start to exit: median %.0f ms of %d\n", median(stdinTimes), repetitions);

    constexpr int kSenders = 50;
    // What starting that many sender processes costs by itself, without the editor.
    std::vector<double> startTimes;
    for (int i = 0; i < repetitions; ++i) {
        std::vector<std::unique_ptr<QProcess>> senders;
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < kSenders; ++k) {
            senders.push_back(std::make_unique<QProcess>());
            senders.back()->start(kSender, {QStringLiteral("--help")});
        }
        waitFor(senders, 60000);
        startTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::vector<double> parallelTimes;
    for (int i = 0; i < repetitions; ++i) {
        window.setDocument(QString());
        std::vector<std::unique_ptr<QProcess>> senders;
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < kSenders; ++k) {
            senders.push_back(std::make_unique<QProcess>());
            senders.back()->start(kSender, {QStringLiteral("<%1>").arg(k)});
        }
        const bool ended = waitFor(senders, 60000);
        parallelTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
        int failed = 0;
        for (const auto& p : senders)
            failed += p->exitCode() != 0 ? 1 : 0;
        const QString text = window.editwindow()->documentText();
        int missing = 0;
        for (int k = 0; k < kSenders; ++k)
            missing += text.count(QStringLiteral("<%1>").arg(k)) != 1 ? 1 : 0;
        if (!ended || failed || missing) {
            std::fprintf(stderr, "%d parallel senders: %d failed, %d not inserted once\n", kSenders, failed, missing);
            return 1;
        }
    }
    std::printf("%d parallel senders, first start to last exit: median %.0f ms of %d (all inserted once);"
                " the same processes only starting: %.0f ms\n",
                kSenders, median(parallelTimes), repetitions, median(startTimes));
    return 0;
}
