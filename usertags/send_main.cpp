// vornikedit-send: hands a text to the running editor, which inserts it at the caret.
#include "text/text_encoding.h"
#include "usertags/endpoint_client.h"
#include "usertags/endpoint_location.h"
#include "usertags/endpoint_protocol.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {
const char kUsage[] =
    "usage: vornikedit-send [--no-enter] [--] [TEXT...]\n"
    "       vornikedit-send --enter\n"
    "Inserts TEXT (the arguments joined by blanks, or standard input without its last line\n"
    "break when no TEXT is given) into the running vornikedit in place of its selection.\n"
    "  --no-enter  only set the pending text; a later --enter inserts it\n"
    "  --enter     insert the pending text\n"
    "Exit status: 0 inserted, 1 no editor running, 2 bad usage, 3 refused or no answer.\n";

void fail(const QString& message)
{
    std::fprintf(stderr, "vornikedit-send: %s\n", message.toLocal8Bit().constData());
}

// Standard input to its end: a pipe hands it over in pieces, as slowly as its writer. More
// than `limit` bytes gives nothing: a text is sent whole or not at all.
enum class Input { Whole, TooLong, Unreadable };
Input readInput(QByteArray& bytes, qsizetype limit)
{
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got == 0)
            return Input::Whole;
        if (got < 0 && errno != EINTR)
            return Input::Unreadable;
        if (got > 0)
            bytes.append(chunk, got);
        if (bytes.size() > limit)
            return Input::TooLong;
    }
}
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    bool enter = true;
    bool enterOnly = false;
    QStringList words;
    bool options = true;
    for (const QString& argument : app.arguments().mid(1)) {
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && argument == QLatin1String("--no-enter")) {
            enter = false;
        } else if (options && argument == QLatin1String("--enter")) {
            enterOnly = true;
        } else if (options && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            fail(QStringLiteral("unknown option %1").arg(argument));
            std::fputs(kUsage, stderr);
            return 2;
        } else {
            words << argument;
        }
    }
    if (enterOnly && (!enter || !words.isEmpty())) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::optional<QString> text;
    if (!enterOnly) {
        if (!words.isEmpty()) {
            text = words.join(u' ');
        } else {
            QByteArray bytes;
            // The last line break does not count against the limit.
            switch (readInput(bytes, endpoint::kMaxPayload + 2)) {
            case Input::Whole:
                break;
            case Input::TooLong:
                fail(QStringLiteral("テキストが長すぎます (1 MiB まで)。"));
                return 3;
            case Input::Unreadable:
                fail(QStringLiteral("cannot read standard input"));
                return 3;
            }
            if (bytes.endsWith("\r\n"))
                bytes.chop(2);
            else if (bytes.endsWith('\n'))
                bytes.chop(1);
            text = decodeText(bytes).text;
        }
    }
    const SendResult result = sendToEditor(text, enter);
    if (result.status == SendResult::Sent)
        return 0;
    fail(result.message);
    // Where no folder could be had, say why: that is not the same as no editor running.
    if (const EndpointLocation location = endpointLocation(false); result.status == SendResult::NoEditor && !location.ok())
        fail(location.error);
    return result.status == SendResult::NoEditor ? 1 : 3;
}
