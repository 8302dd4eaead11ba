#include "tags/markup_rows.h"

#include "tags/skeleton.h"

namespace {

using enum MarkupKind;

// Texts are ASCII with lower-case tag names; attribute values the user must choose are left
// empty. Grouped as the menus show them.
constexpr MarkupRow kRows[] = {
    // Physical and logical character formatting.
    {"fb", Wrap, "<b>", "</b>"},
    {"Fi", Wrap, "<i>", "</i>"},
    {"fs", Wrap, "<s>", "</s>"},
    {"ftt", Wrap, "<tt>", "</tt>"},
    {"fu", Wrap, "<u>", "</u>"},
    {"fsup", Wrap, "<sup>", "</sup>"},
    {"fsub", Wrap, "<sub>", "</sub>"},
    {"fcite", Wrap, "<cite>", "</cite>"},
    {"fcode", Wrap, "<code>", "</code>"},
    {"fkbd", Wrap, "<kbd>", "</kbd>"},
    {"fvar", Wrap, "<var>", "</var>"},
    {"fsamp", Wrap, "<samp>", "</samp>"},

    // Comment and line break.
    {"comme", Wrap, "<!-- ", " -->"},
    {"Br", Insert, "<br>", ""},

    // Paragraphs: an opening tag only, the alignment unquoted.
    {"pn", Insert, "<p>", ""},
    {"pcl", Insert, "<p align=left>", ""},
    {"pcc", Insert, "<p align=center>", ""},
    {"pcr", Insert, "<p align=right>", ""},

    // Aligned blocks, the alignment quoted.
    {"lcr_l_div", Wrap, "<div align=\"left\">", "</div>"},
    {"lcr_l_p", Wrap, "<p align=\"left\">", "</p>"},
    {"lcr_c_c", Wrap, "<center>", "</center>"},
    {"lcr_c_div", Wrap, "<div align=\"center\">", "</div>"},
    {"lcr_c_p", Wrap, "<p align=\"center\">", "</p>"},
    {"lcr_r_div", Wrap, "<div align=\"right\">", "</div>"},
    {"lcr_r_p", Wrap, "<p align=\"right\">", "</p>"},

    // Headings: the user types the level digit into both tags.
    {"hleft", Wrap, "<h >", "</h>"},
    {"hcenter", Wrap, "<h align=center>", "</h>"},
    {"hright", Wrap, "<h align=right>", "</h>"},

    // Rules.
    {"hrn", Insert, "<hr>", ""},
    {"hrcs", Insert, "<hr size= width= align= >", ""},
    {"hrcns", Insert, "<hr size= width= align= noshade>", ""},

    // Fonts.
    {"hFontTs", Wrap, "<font size=\"\">", "</font>"},
    {"hFontTc", Wrap, "<font color=\"\">", "</font>"},
    {"hFontTsc", Wrap, "<font size=\"\" color=\"\">", "</font>"},

    // Images: the selection is the src value; the closing text lists the chosen attributes
    // in the order width, height, border, alt.
    {"imgn", Wrap, "<img src=\"", "\">"},
    {"imgstw", Wrap, "<img src=\"", "\" width=\"\" height=\"\" border=\"\" alt=\"\">"},
    {"imgstwn", Wrap, "<img src=\"", "\" width=\"\" height=\"\" alt=\"\">"},
    {"imgstnw", Wrap, "<img src=\"", "\" width=\"\" height=\"\" border=\"\">"},
    {"imgstnwn", Wrap, "<img src=\"", "\" width=\"\" height=\"\">"},
    {"imgsntw", Wrap, "<img src=\"", "\" border=\"\" alt=\"\">"},
    {"imgsntwn", Wrap, "<img src=\"", "\" alt=\"\">"},
    {"imgsntnw", Wrap, "<img src=\"", "\" border=\"\">"},
    {"imgsntnwn", Wrap, "<img src=\"", "\">"},

    // Links: the selection is the link text.
    {"hrefn", Wrap, "<a href=\"\">", "</a>"},
    {"hrefct", Wrap, "<a href=\"\" target=\"\">", "</a>"},
    {"hrefcm", Wrap, "<a href=\"mailto:\">", "</a>"},

    // The page skeleton, offered in two menus.
    {"hhtb", Insert, kPageSkeleton, ""},
    {"hkt", Insert, kPageSkeleton, ""},
};

}

std::span<const MarkupRow> markupRows()
{
    return kRows;
}

const MarkupRow* findMarkupRow(QStringView item)
{
    for (const MarkupRow& row : kRows) {
        if (item == QLatin1String(row.item))
            return &row;
    }
    return nullptr;
}

QString markupText(const MarkupRow& row, const QString& selection)
{
    if (row.kind == MarkupKind::Insert)
        return QString::fromLatin1(row.opening);
    return QLatin1String(row.opening) + selection + QLatin1String(row.closing);
}
