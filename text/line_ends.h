#pragma once

#include <QString>
#include <QStringView>

// Inside the program every line break is CR LF. Files may use LF alone (Unix) or CR alone
// (old Macintosh); such a file is written back with its own breaks, never rewritten.
enum class LineEnding { CrLf, Lf, Cr };

struct NormalisedText {
    QString text; // CR LF throughout
    LineEnding ending = LineEnding::CrLf;
};

// A text's line breaks by kind: a CR LF is one break of neither lone kind.
struct LineBreakCount {
    qsizetype lf = 0;
    qsizetype cr = 0;
    qsizetype all = 0;
    // Lf (Cr) when there are breaks and every one is a lone LF (a lone CR); else CrLf.
    LineEnding ending() const;
    LineBreakCount& operator+=(const LineBreakCount& other);
};
LineBreakCount countLineBreaks(QStringView text);

// CR LF, a lone CR and a lone LF each become CR LF. The ending is Lf (Cr) when the text has
// line breaks and every one of them was a lone LF (a lone CR).
NormalisedText normaliseLineEnds(QStringView text);

// The CR LF text with the file's own line breaks.
QString withLineEnding(const QString& crlfText, LineEnding ending);
