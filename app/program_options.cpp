#include "app/program_options.h"

#include "app/version.h"

#include <array>

namespace {

// The toolkit's own options: left for it to take, so `-platform offscreen` or `-style fusion`
// keep working. The toolkit accepts them with one dash or two, and some as name=value.
constexpr std::array kToolkitOptionsWithValue{
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "title", "name", "visual", "cmap", "im"};
constexpr std::array kToolkitFlags{"reverse", "widgetcount", "nograb", "dograb", "sync"};
constexpr std::array kToolkitOptionsWithEquals{"style", "stylesheet", "qmljsdebugger",
                                               "dialogs", "fontengine"};

template <std::size_t N>
bool among(const std::array<const char*, N>& names, const QString& name)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

QString bareName(const QString& argument)
{
    return argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
}

bool isOption(const QString& argument)
{
    return argument.size() > 1 && argument.startsWith(u'-') && !argument.endsWith(QLatin1String(" on"));
}

// How many arguments from `at` are one toolkit option (the option and its value); 0 when
// the argument there is none of the toolkit's.
qsizetype toolkitOptionAt(const QStringList& arguments, qsizetype at)
{
    const QString& argument = arguments[at];
    if (!isOption(argument) || argument == QLatin1String("--"))
        return 0;
    const QString name = bareName(argument);
    if (among(kToolkitFlags, name))
        return 1;
    if (among(kToolkitOptionsWithValue, name))
        return at + 1 < arguments.size() && !arguments[at + 1].endsWith(QLatin1String(" on")) ? 2 : 0;
    const qsizetype equals = name.indexOf(u'=');
    return equals > 0 && among(kToolkitOptionsWithEquals, name.left(equals)) ? 1 : 0;
}

}

SplitArguments splitArguments(const QStringList& arguments)
{
    SplitArguments split;
    if (!arguments.isEmpty() && arguments.last() == QLatin1String("on")) {
        split.editor = arguments;
        return split;
    }
    qsizetype i = 0;
    while (i < arguments.size()) {
        const qsizetype taken = toolkitOptionAt(arguments, i);
        if (taken == 0)
            break;
        split.toolkit += arguments.mid(i, taken);
        i += taken;
    }
    if (i < arguments.size() && arguments[i] == QLatin1String("--"))
        ++i;
    split.editor = arguments.mid(i);
    return split;
}

StartDecision decideStart(const QStringList& arguments)
{
    // The editor's own form always wins: a path may hold anything, "--help" included.
    if (arguments.join(u' ').endsWith(QLatin1String(" on")))
        return {};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            return {}; // the rest is the file
        if (!isOption(argument))
            continue;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return {StartRequest::Help, {}};
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return {StartRequest::Version, {}};
        const QString name = bareName(argument);
        if (argument == QLatin1String("--line")) {
            if (i + 1 == arguments.size())
                return {StartRequest::UnknownOption, argument}; // the number is missing
            ++i; // its number
            continue;
        }
        if (argument.startsWith(QLatin1String("--line=")) || among(kToolkitFlags, name))
            continue;
        if (among(kToolkitOptionsWithValue, name)) {
            ++i; // its value, whatever it looks like
            continue;
        }
        const qsizetype equals = name.indexOf(u'=');
        if (equals > 0 && among(kToolkitOptionsWithEquals, name.left(equals)))
            continue;
        return {StartRequest::UnknownOption, argument};
    }
    return {};
}

QString usageText(bool japanese)
{
    if (japanese)
        return QStringLiteral(
            "使い方: vornikedit [ファイル...]\n"
            "        vornikedit --line 行 ファイル  (または vornikedit +行 ファイル)\n"
            "        vornikedit \"パス on\"\n"
            "HTML を手で書くためのテキストエディタです。ファイルを指定すると、それぞれを一つの\n"
            "ウィンドウで開きます (ファイル名をそのまま渡せるのは vornikedit コマンドです)。\n"
            "エディタ本体は、パスの後に空白と on を付けた一つの文字列で開くファイルを受け取ります。\n"
            "  --line N, +N   カーソルを N 行目の先頭に置いて開きます\n"
            "  -h, --help     この説明を表示して終了します\n"
            "  -v, --version  バージョンを表示して終了します\n"
            "Qt の標準オプション (-platform、-style など) も使えます。\n");
    return QStringLiteral(
        "Usage: vornikedit [FILE...]\n"
        "       vornikedit --line N FILE  (or vornikedit +N FILE)\n"
        "       vornikedit \"PATH on\"\n"
        "A text editor for writing HTML pages by hand. Each FILE opens in a window of its own\n"
        "(the vornikedit command takes plain file names). The editor itself takes the file to\n"
        "open as one text: the path, a blank and \"on\".\n"
        "  --line N, +N   open with the caret at the start of line N\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "Qt's standard options (-platform, -style and others) are accepted too.\n");
}

QString versionText()
{
    return QStringLiteral("vornikedit %1.%2.%3\n")
        .arg(vornik::versionMajor)
        .arg(vornik::versionMinor)
        .arg(vornik::versionPatch);
}

QString unknownOptionText(const QString& option, bool japanese)
{
    if (japanese)
        return QStringLiteral("vornikedit: 不明なオプションです: %1\n"
                              "使い方は vornikedit --help で表示します。\n")
            .arg(option);
    return QStringLiteral("vornikedit: unknown option %1\nTry 'vornikedit --help'.\n").arg(option);
}
