#include "ui/toolbar_table.h"

#include "platform/twips.h"

namespace {

using enum ToolbarPanel;
using enum ButtonClick;
using enum FocusAfter;
using enum ButtonFace;

// In display order, general panel first. Sizes are twips; the narrow file buttons start
// above the client area and end at the same bottom edge as the others.
constexpr ToolbarButtonSpec kButtons[] = {
    {.name = "ButtonChange", .panel = Both, .left = 60, .top = 0, .width = 252, .height = 360,
     .picture = "change.svg", .caption = "", .face = Black, .tooltip = "ボタンチェンジ",
     .click = PanelSwitch, .target = "", .focus = EditWindow},

    {.name = "NewFileIcon", .panel = General, .left = 360, .top = 0, .width = 372, .height = 372,
     .picture = "new.svg", .caption = "", .face = System, .tooltip = "新規作成",
     .click = Forward, .target = "newfile", .focus = EditWindow},
    {.name = "OpenFileIcon", .panel = General, .left = 720, .top = 0, .width = 372, .height = 372,
     .picture = "open.svg", .caption = "", .face = System, .tooltip = "ファイルを開く",
     .click = Forward, .target = "openfile", .focus = EditWindow},
    {.name = "NewOpenFileIcon", .panel = General, .left = 1080, .top = 0, .width = 372, .height = 372,
     .picture = "newopen.svg", .caption = "", .face = System, .tooltip = "別に開く",
     .click = Forward, .target = "newopenfile", .focus = EditWindow},
    {.name = "SaveFileIcon", .panel = General, .left = 1440, .top = 0, .width = 372, .height = 372,
     .picture = "save.svg", .caption = "", .face = System, .tooltip = "ファイルを上書き保存",
     .click = Forward, .target = "SaveFiLE", .focus = EditWindow},
    {.name = "SaveAsFileIcon", .panel = General, .left = 1800, .top = 0, .width = 372, .height = 372,
     .picture = "saveas.svg", .caption = "", .face = System, .tooltip = "ファイルを名前をつけて保存",
     .click = Forward, .target = "SaveAsFile", .focus = EditWindow},
    {.name = "CutIcon", .panel = General, .left = 2220, .top = 0, .width = 372, .height = 372,
     .picture = "cut.svg", .caption = "", .face = Grey, .tooltip = "切り取り",
     .click = Forward, .target = "clipcut", .focus = EditWindow},
    {.name = "CopyIcon", .panel = General, .left = 2580, .top = 0, .width = 372, .height = 372,
     .picture = "copy.svg", .caption = "", .face = Grey, .tooltip = "コピー",
     .click = Forward, .target = "clipcopy", .focus = EditWindow},
    {.name = "PasteIcon", .panel = General, .left = 2940, .top = 0, .width = 372, .height = 372,
     .picture = "paste.svg", .caption = "", .face = Grey, .tooltip = "貼り付け",
     .click = Forward, .target = "clippaste", .focus = EditWindow},
    {.name = "FontChangeIcon", .panel = General, .left = 3360, .top = 0, .width = 312, .height = 372,
     .picture = "", .caption = "10", .face = Grey, .tooltip = "フォント変更",
     .click = Forward, .target = "NormalFontChange", .focus = EditWindow},
    {.name = "ColorChangeIcon", .panel = General, .left = 3660, .top = 0, .width = 132, .height = 372,
     .picture = "", .caption = "", .face = White, .tooltip = "背景変更",
     .click = Forward, .target = "ColorChange", .focus = EditWindow},
    {.name = "FixedFontChangeIcon", .panel = General, .left = 3780, .top = 0, .width = 372, .height = 372,
     .picture = "fixedfont.svg", .caption = "", .face = Grey, .tooltip = "固定幅フォント使用",
     .click = Forward, .target = "FixedFontChange", .focus = EditWindow},

    {.name = "html", .panel = Tags, .left = 360, .top = 0, .width = 372, .height = 372,
     .picture = "html.svg", .caption = "", .face = Grey, .tooltip = "構造タグ",
     .click = Popup, .target = "hTemplate", .focus = EditWindow},
    {.name = "htmlC", .panel = Tags, .left = 780, .top = 0, .width = 372, .height = 372,
     .picture = "comment.svg", .caption = "", .face = Grey, .tooltip = "コメントタグ",
     .click = Forward, .target = "comme", .focus = EditWindow},
    {.name = "htmlBr", .panel = Tags, .left = 1140, .top = 0, .width = 372, .height = 372,
     .picture = "br.svg", .caption = "", .face = Grey, .tooltip = "改行タグ",
     .click = Forward, .target = "Br", .focus = EditWindow},
    {.name = "htmlP", .panel = Tags, .left = 1500, .top = 0, .width = 372, .height = 372,
     .picture = "p.svg", .caption = "", .face = Grey, .tooltip = "段落タグ",
     .click = Popup, .target = "p", .focus = EditWindow},
    {.name = "htmlLCR", .panel = Tags, .left = 1860, .top = 0, .width = 372, .height = 372,
     .picture = "lcr.svg", .caption = "", .face = Grey, .tooltip = "ＬＣＲ",
     .click = Popup, .target = "lcr", .focus = EditWindow},
    {.name = "htmlFont", .panel = Tags, .left = 2280, .top = 0, .width = 372, .height = 372,
     .picture = "font.svg", .caption = "", .face = Grey, .tooltip = "フォントタグ",
     .click = Popup, .target = "hFontT", .focus = EditWindow},
    {.name = "htmlFontT", .panel = Tags, .left = 2640, .top = 0, .width = 372, .height = 372,
     .picture = "fontshape.svg", .caption = "", .face = Grey, .tooltip = "フォント形状指定タグ",
     .click = Popup, .target = "hFontTT", .focus = EditWindow},
    {.name = "htmlHeader", .panel = Tags, .left = 3000, .top = 0, .width = 372, .height = 372,
     .picture = "header.svg", .caption = "", .face = Grey, .tooltip = "ヘッダ",
     .click = Popup, .target = "fheader", .focus = EditWindow},
    {.name = "htmlHr", .panel = Tags, .left = 3420, .top = 0, .width = 372, .height = 372,
     .picture = "hr.svg", .caption = "", .face = Grey, .tooltip = "区切り線",
     .click = Popup, .target = "hr", .focus = EditWindow},
    {.name = "htmlImg", .panel = Tags, .left = 3780, .top = 0, .width = 372, .height = 372,
     .picture = "image.svg", .caption = "", .face = Grey, .tooltip = "イメージ",
     .click = Popup, .target = "img", .focus = EditWindow},
    {.name = "htmlTable", .panel = Tags, .left = 4140, .top = 0, .width = 372, .height = 372,
     .picture = "table.svg", .caption = "", .face = Grey, .tooltip = "テーブル",
     .click = Forward, .target = "table", .focus = Unchanged},
    {.name = "htmlHref", .panel = Tags, .left = 4560, .top = 0, .width = 372, .height = 372,
     .picture = "link.svg", .caption = "", .face = Grey, .tooltip = "リンク",
     .click = Popup, .target = "href", .focus = EditWindow},
    {.name = "htmlUserTag", .panel = Tags, .left = 4980, .top = 0, .width = 372, .height = 372,
     .picture = "usertag.svg", .caption = "", .face = Grey, .tooltip = "ユーザータグ",
     .click = Popup, .target = "uTag", .focus = UnlessCompanionRuns},
    {.name = "htmlColor", .panel = Tags, .left = 5460, .top = 0, .width = 372, .height = 372,
     .picture = "colour.svg", .caption = "", .face = Grey, .tooltip = "カラー",
     .click = Forward, .target = "hColor", .focus = Unchanged},
    // The preview is the command of Br_open; it puts the focus back itself when it opens.
    {.name = "htmlView", .panel = Tags, .left = 5820, .top = 0, .width = 372, .height = 372,
     .picture = "view.svg", .caption = "", .face = Grey, .tooltip = "ブラウザで見る",
     .click = Forward, .target = "Br_open", .focus = Unchanged},
    {.name = "NewFileMini", .panel = Tags, .left = 6360, .top = -60, .width = 192, .height = 432,
     .picture = "", .caption = "", .face = White, .tooltip = "新規作成",
     .click = Forward, .target = "newfile", .focus = EditWindow},
    {.name = "OpenFileMini", .panel = Tags, .left = 6540, .top = -60, .width = 192, .height = 432,
     .picture = "", .caption = "", .face = Yellow, .tooltip = "ファイルを開く",
     .click = Forward, .target = "openfile", .focus = EditWindow},
    {.name = "SaveMini", .panel = Tags, .left = 6720, .top = -60, .width = 192, .height = 432,
     .picture = "", .caption = "", .face = Red, .tooltip = "ファイルを上書き保存",
     .click = Forward, .target = "SaveFiLE", .focus = EditWindow},
    {.name = "SaveAsMini", .panel = Tags, .left = 6900, .top = -60, .width = 192, .height = 432,
     .picture = "", .caption = "", .face = Blue, .tooltip = "ファイルを名前をつけて保存",
     .click = Forward, .target = "SaveAsFile", .focus = EditWindow},
    {.name = "NewOpenFileMini", .panel = Tags, .left = 7080, .top = -60, .width = 192, .height = 432,
     .picture = "", .caption = "", .face = Cyan, .tooltip = "別に開く",
     .click = Forward, .target = "newopenfile", .focus = EditWindow},
};

}

std::span<const ToolbarButtonSpec> toolbarButtons()
{
    return kButtons;
}

const ToolbarButtonSpec* findToolbarButton(QStringView name)
{
    for (const ToolbarButtonSpec& button : kButtons) {
        if (name == QLatin1String(button.name))
            return &button;
    }
    return nullptr;
}

QString hoverText(const ToolbarButtonSpec& button)
{
    return u' ' + QString::fromUtf8(button.tooltip);
}

QRect pixelRect(const ToolbarButtonSpec& button)
{
    const int left = twipsToPixels(button.left);
    const int top = twipsToPixels(button.top);
    const int right = twipsToPixels(button.left + button.width);
    const int bottom = twipsToPixels(button.top + button.height);
    return QRect(left, top, right - left, bottom - top);
}
