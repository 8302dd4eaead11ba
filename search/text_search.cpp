#include "search/text_search.h"

#include <algorithm>

namespace {
// A backward search and a search inside a range look at the text a little past their end,
// so that lookaheads and the whole-word test see the real next characters.
constexpr qsizetype kLookaheadMargin = 1024;
// A backward search runs forward over a window before its start, widened until it finds.
constexpr qsizetype kFirstBackwardWindow = 64 * 1024;

QStringView subjectUpTo(QStringView text, qsizetype end)
{
    return text.first(qMin(text.size(), end + kLookaheadMargin));
}
}

TextSearch::TextSearch(const QString& pattern, SearchOptions options)
    : m_pattern(pattern), m_options(options)
{
    // Even a plain text is found through the regular-expression engine: its compiled search
    // runs through a large page faster than a string search.
    if (pattern.isEmpty())
        return;
    QString source = options.regularExpression ? pattern : QRegularExpression::escape(pattern);
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.caseSensitive)
        flags |= QRegularExpression::CaseInsensitiveOption;
    if (options.regularExpression)
        flags |= QRegularExpression::MultilineOption;
    // The user's own pattern is checked alone, so the place of a mistake is the user's.
    const QRegularExpression bare(source, flags);
    if (!bare.isValid()) {
        m_patternError = QStringLiteral("正規表現が正しくありません（%1 文字目）：%2")
                             .arg(bare.patternErrorOffset() + 1)
                             .arg(bare.errorString());
        m_error = m_patternError;
        return;
    }
    if (options.wholeWord)
        source = QStringLiteral("(?<![\\p{L}\\p{N}_])(?:%1)(?![\\p{L}\\p{N}_])").arg(source);
    m_regex = QRegularExpression(source, flags);
    m_regex.optimize();
}

namespace {
// Whether a caseless match of `c` is `c` itself, or, for an ASCII letter, its other ASCII
// case. k and s are matched by the Kelvin sign and the long s too, other letters by forms
// outside ASCII; letters without case (kana, kanji) and other characters only by themselves.
enum class CaselessMatch { Itself, AsciiCases, Others };
CaselessMatch caselessMatchOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80) {
        const char16_t lower = u | 0x20;
        if (lower < u'a' || lower > u'z')
            return CaselessMatch::Itself;
        return lower == u'k' || lower == u's' ? CaselessMatch::Others : CaselessMatch::AsciiCases;
    }
    if (c.isSurrogate())
        return CaselessMatch::Others;
    const QChar::Category category = c.category();
    if (category == QChar::Letter_Lowercase || category == QChar::Letter_Uppercase || category == QChar::Letter_Titlecase)
        return CaselessMatch::Others;
    return c.toLower() == c && c.toUpper() == c && c.toTitleCase() == c && c.toCaseFolded() == c ? CaselessMatch::Itself
                                                                                                 : CaselessMatch::Others;
}
}

TextSearch::RequiredText TextSearch::requiredText() const
{
    if (m_pattern.isEmpty() || !m_patternError.isEmpty() || m_options.regularExpression || m_pattern.contains(u'\n')
        || m_pattern.contains(u'\r'))
        return {};
    if (m_options.caseSensitive)
        return {m_pattern, false};
    // The longest run of characters a caseless match holds as they are (or in either ASCII case).
    qsizetype bestStart = 0, bestLength = 0, runStart = 0;
    for (qsizetype i = 0; i <= m_pattern.size(); ++i) {
        if (i < m_pattern.size() && caselessMatchOf(m_pattern[i]) != CaselessMatch::Others)
            continue;
        if (i - runStart > bestLength) {
            bestStart = runStart;
            bestLength = i - runStart;
        }
        runStart = i + 1;
    }
    const QString run = m_pattern.mid(bestStart, bestLength);
    const bool asciiLetters = std::any_of(run.begin(), run.end(), [](QChar c) {
        return caselessMatchOf(c) == CaselessMatch::AsciiCases;
    });
    return {run, asciiLetters};
}

void TextSearch::setReplacement(const QString& replacement)
{
    m_error = m_patternError;
    m_replacement.clear();
    m_literalReplacement = replacement;
    if (!m_options.regularExpression || !m_error.isEmpty())
        return;
    const int groups = m_regex.captureCount();
    QString literal;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != u'\\' || i + 1 == replacement.size()) {
            literal += c;
            continue;
        }
        const QChar next = replacement[++i];
        if (next.isDigit() && next.unicode() < 128) {
            const int group = next.unicode() - u'0';
            if (group > groups) {
                m_error = QStringLiteral("置換後の文字列の \\%1 に当たるグループ（丸括弧）が検索する文字列にありません。").arg(group);
                return;
            }
            if (!literal.isEmpty())
                m_replacement.append({literal, -1});
            literal.clear();
            m_replacement.append({QString(), group});
        } else if (next == u'n') {
            literal += u'\n';
        } else if (next == u't') {
            literal += u'\t';
        } else if (next == u'\\') {
            literal += u'\\';
        } else {
            literal += c;
            literal += next;
        }
    }
    if (!literal.isEmpty())
        m_replacement.append({literal, -1});
}

QRegularExpressionMatch TextSearch::regexMatch(QStringView subject, qsizetype offset, bool anchored) const
{
    QRegularExpression::MatchOptions options = QRegularExpression::NoMatchOption;
    if (anchored)
        options |= QRegularExpression::AnchorAtOffsetMatchOption;
    return m_regex.match(subject, offset, QRegularExpression::NormalMatch, options);
}

std::optional<TextMatch> TextSearch::firstFrom(QStringView text, qsizetype from, SearchRange range,
                                               bool skipEmptyAtFrom) const
{
    from = qMax(from, range.start);
    if (from > range.end)
        return std::nullopt;
    const QStringView subject = subjectUpTo(text, range.end);
    for (qsizetype offset = from; offset <= range.end; ++offset) {
        const QRegularExpressionMatch m = regexMatch(subject, offset);
        if (!m.hasMatch() || m.capturedEnd() > range.end)
            return std::nullopt;
        if (skipEmptyAtFrom && m.capturedLength() == 0 && m.capturedStart() == from)
            continue;
        return TextMatch{m.capturedStart(), m.capturedLength()};
    }
    return std::nullopt;
}

std::optional<TextMatch> TextSearch::lastBefore(QStringView text, qsizetype before, SearchRange range) const
{
    before = qMin(before, range.end);
    if (before < range.start)
        return std::nullopt;
    // Regular expressions only run forward: go over a window that ends at `before`, keep
    // the last match, and widen the window while it holds none.
    const QStringView subject = subjectUpTo(text, before);
    for (qsizetype window = kFirstBackwardWindow;; window *= 2) {
        const qsizetype windowStart = qMax(range.start, before - window);
        std::optional<TextMatch> last;
        QRegularExpressionMatchIterator it =
            m_regex.globalMatch(subject, windowStart, QRegularExpression::NormalMatch);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedEnd() > before)
                break;
            if (m.capturedLength() == 0 && m.capturedStart() == before)
                break;
            last = TextMatch{m.capturedStart(), m.capturedLength()};
        }
        if (last || windowStart == range.start)
            return last;
    }
}

std::optional<FoundMatch> TextSearch::find(QStringView text, qsizetype from, SearchDirection direction,
                                           SearchRange range) const
{
    if (m_pattern.isEmpty() || !m_patternError.isEmpty())
        return std::nullopt;
    range.end = qMin(range.end, text.size());
    range.start = qBound(qsizetype(0), range.start, range.end);
    from = qBound(range.start, from, range.end);
    if (direction == SearchDirection::Forward) {
        if (const auto m = firstFrom(text, from, range, true))
            return FoundMatch{*m, false};
        if (const auto m = firstFrom(text, range.start, range, false))
            return FoundMatch{*m, true};
    } else {
        if (const auto m = lastBefore(text, from, range))
            return FoundMatch{*m, false};
        if (const auto m = lastBefore(text, range.end, range))
            return FoundMatch{*m, true};
    }
    return std::nullopt;
}

QString TextSearch::expand(const QRegularExpressionMatch& match) const
{
    if (!m_options.regularExpression)
        return m_literalReplacement;
    QString out;
    for (const Part& part : m_replacement) {
        if (part.group < 0)
            out += part.literal;
        else
            out += match.capturedView(part.group);
    }
    return out;
}

std::optional<QString> TextSearch::replacementAt(QStringView text, qsizetype start, qsizetype end) const
{
    if (m_pattern.isEmpty() || !isValid() || start < 0 || end > text.size() || start > end)
        return std::nullopt;
    const QRegularExpressionMatch m = regexMatch(subjectUpTo(text, end), start, true);
    if (!m.hasMatch() || m.capturedEnd() != end)
        return std::nullopt;
    return expand(m);
}

ReplacedStretch TextSearch::replaceAll(QStringView text, SearchRange range) const
{
    ReplacedStretch result;
    if (m_pattern.isEmpty() || !isValid())
        return result;
    range.end = qMin(range.end, text.size());
    range.start = qBound(qsizetype(0), range.start, range.end);

    // First the matches, then one change for each: the box makes just those, leaving the
    // text between them where it is.
    QList<TextMatch> matches;
    QList<QString> replacements; // only when they differ from match to match
    {
        const bool perMatch = m_options.regularExpression
            && std::any_of(m_replacement.begin(), m_replacement.end(), [](const Part& p) { return p.group >= 0; });
        QRegularExpressionMatchIterator it =
            m_regex.globalMatch(subjectUpTo(text, range.end), range.start, QRegularExpression::NormalMatch);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedEnd() > range.end)
                break;
            matches.append({m.capturedStart(), m.capturedLength()});
            if (perMatch)
                replacements.append(expand(m));
        }
    }
    if (matches.isEmpty())
        return result;

    // A fixed replacement is one string shared by every change.
    const QString fixed = replacements.isEmpty() ? expand(QRegularExpressionMatch()) : QString();
    result.count = matches.size();
    result.start = matches.first().start;
    result.end = matches.last().end();
    result.changes.reserve(matches.size());
    for (qsizetype i = 0; i < matches.size(); ++i)
        result.changes.append({matches[i].start - result.start, matches[i].length,
                               replacements.isEmpty() ? fixed : replacements[i]});
    return result;
}
