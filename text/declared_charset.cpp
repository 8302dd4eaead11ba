#include "text/declared_charset.h"

#include <QByteArray>
#include <QList>

#include <cctype>

namespace {
using uchar8 = unsigned char;

std::optional<TextEncoding> encodingFromName(QByteArray name)
{
    name = name.trimmed().toLower();
    static const struct {
        const char* name;
        TextEncoding encoding;
    } names[] = {
        {"utf-8", TextEncoding::Utf8},          {"utf8", TextEncoding::Utf8},
        {"shift_jis", TextEncoding::Cp932},     {"shift-jis", TextEncoding::Cp932},
        {"sjis", TextEncoding::Cp932},          {"x-sjis", TextEncoding::Cp932},
        {"cp932", TextEncoding::Cp932},         {"ms932", TextEncoding::Cp932},
        {"windows-31j", TextEncoding::Cp932},   {"ms_kanji", TextEncoding::Cp932},
        {"csshiftjis", TextEncoding::Cp932},    {"x-ms-cp932", TextEncoding::Cp932},
        {"euc-jp", TextEncoding::EucJp},        {"x-euc-jp", TextEncoding::EucJp},
        {"eucjp", TextEncoding::EucJp},         {"euc_jp", TextEncoding::EucJp},
        {"cseucpkdfmtjapanese", TextEncoding::EucJp}, {"eucjp-ms", TextEncoding::EucJp},
        {"iso-2022-jp", TextEncoding::Iso2022Jp}, {"csiso2022jp", TextEncoding::Iso2022Jp},
        {"iso2022jp", TextEncoding::Iso2022Jp}, {"jis", TextEncoding::Iso2022Jp},
        {"utf-16", TextEncoding::Utf16Le},      {"utf-16le", TextEncoding::Utf16Le},
        {"utf-16be", TextEncoding::Utf16Be},
        {"shift_jis-2004", TextEncoding::ShiftJis2004}, {"shift_jisx0213", TextEncoding::ShiftJis2004},
        {"x-sjis-2004", TextEncoding::ShiftJis2004},   {"sjis-2004", TextEncoding::ShiftJis2004},
        {"euc-jis-2004", TextEncoding::EucJis2004},    {"euc-jisx0213", TextEncoding::EucJis2004},
        {"x-euc-jisx0213", TextEncoding::EucJis2004},
    };
    for (const auto& entry : names) {
        if (name == entry.name)
            return entry.encoding;
    }
    return std::nullopt;
}

// The value that follows a key, up to a quote, blank, ";" or ">", in small letters.
QByteArray valueAfter(QByteArrayView text, qsizetype at)
{
    qsizetype i = at;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '"' || text[i] == '\''))
        ++i;
    const qsizetype start = i;
    while (i < text.size() && text[i] != '"' && text[i] != '\'' && text[i] != ' '
           && text[i] != ';' && text[i] != '>' && text[i] != '?' && text[i] != '/')
        ++i;
    return text.sliced(start, i - start).toByteArray().toLower();
}

bool endsWithWord(QByteArrayView head, QByteArrayView lowerWord)
{
    if (head.size() < lowerWord.size())
        return false;
    head = head.last(lowerWord.size());
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (static_cast<uchar8>(head[i]) >= 0x80 || char(std::tolower(static_cast<uchar8>(head[i]))) != lowerWord[i])
            return false;
    }
    return true;
}

// The names given after "charset=" and then those after "encoding=", each in the order they
// stand, in the page's first 64 KB. Found from each "=", so the page is not copied to be
// searched.
QList<QByteArray> declaredNames(QByteArrayView bytes)
{
    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 64 * 1024));
    QList<QByteArray> charsets;
    QList<QByteArray> encodings;
    for (qsizetype pos = head.indexOf('='); pos >= 0; pos = head.indexOf('=', pos + 1)) {
        // Most are class= and href=: the letter before tells at once.
        if (const char last = char(pos > 0 ? head[pos - 1] | 0x20 : 0); last != 't' && last != 'g')
            continue;
        const QByteArrayView before = head.first(pos);
        if (endsWithWord(before, "charset"))
            charsets.append(valueAfter(head, pos + 1));
        else if (endsWithWord(before, "encoding"))
            encodings.append(valueAfter(head, pos + 1));
    }
    return charsets + encodings;
}

// Chinese and Korean encodings, which the editor does not read.
bool isForeignName(const QByteArray& name)
{
    static const char* const names[] = {
        "gb2312",    "gbk",          "gb18030",     "x-gbk",       "cp936",        "windows-936", "euc-cn",
        "x-euc-cn",  "hz-gb-2312",   "iso-2022-cn", "csgb2312",    "big5",         "big5-hkscs",  "x-x-big5",
        "cn-big5",   "csbig5",       "cp950",       "euc-tw",      "euc-kr",       "ks_c_5601-1987", "korean",
        "cp949",     "windows-949",  "uhc",         "iso-2022-kr", "csksc56011987", "ksc5601",    "x-windows-949",
        "cseuckr",
    };
    for (const char* known : names) {
        if (name == known)
            return true;
    }
    return false;
}
}

std::optional<TextEncoding> encodingNamed(QByteArrayView name)
{
    return encodingFromName(name.toByteArray());
}

std::optional<TextEncoding> declaredEncoding(QByteArrayView bytes)
{
    for (const QByteArray& name : declaredNames(bytes)) {
        if (auto enc = encodingFromName(name))
            return enc;
    }
    return std::nullopt;
}

QString declaredForeignEncoding(QByteArrayView bytes)
{
    for (const QByteArray& name : declaredNames(bytes)) {
        if (encodingFromName(name))
            return {}; // a Japanese one comes first: the page is read in it
        if (isForeignName(name))
            return QString::fromLatin1(name).toUpper();
    }
    return {};
}
