#include "ui/menu_tree.h"

namespace {

using Items = std::vector<MenuItemSpec>;

MenuItemSpec sep(const char* name)
{
    return {.name = QString::fromLatin1(name), .caption = QStringLiteral("-")};
}

// One submenu of ten user tags, a control array named uTagView1 .. uTagView10.
MenuItemSpec userTagSet(int k, const QString& caption)
{
    return {.name = QStringLiteral("uTagAdd_%1").arg(k),
            .caption = caption,
            .children = {{.name = QStringLiteral("uTagView%1").arg(k), .caption = QString(), .arrayLength = 10}}};
}

Items userTagMenu()
{
    Items items = {
        {.name = "uTagAdd", .caption = "タグ追加"},
        sep("k9"),
    };
    const char* digits[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９", "１０"};
    for (int k = 1; k <= 10; ++k)
        items.push_back(userTagSet(k, QStringLiteral("追加タグ") + QString::fromUtf8(digits[k - 1])));
    return items;
}

Items buildTree()
{
    return {
        {.name = "filemenu", .caption = "ファイル(&F)", .children = {
            {.name = "newfile", .caption = "新規作成(&N)", .shortcut = "Ctrl+N"},
            {.name = "openfile", .caption = "開く(&O)...", .shortcut = "Ctrl+O"},
            {.name = "newopenfile", .caption = "別に開く(&W)", .shortcut = "Ctrl+W"},
            {.name = "SaveFiLE", .caption = "上書き保存(&S)", .shortcut = "Ctrl+S", .enabled = false},
            {.name = "SaveAsFile", .caption = "名前を付けて保存(&A)..."},
            sep("k"),
            {.name = "Fin", .caption = "終了(&X)", .shortcut = "Ctrl+E"},
            {.name = "gotoend", .caption = "強制終了(&Q)", .shortcut = "Ctrl+Q"},
        }},
        {.name = "EditText", .caption = "編集(&E)", .children = {
            {.name = "clipcut", .caption = "切り取り(&T)", .shortcut = "Ctrl+X"},
            {.name = "clipcopy", .caption = "コピー(&C)", .shortcut = "Ctrl+C"},
            {.name = "clippaste", .caption = "貼り付け(&P)", .shortcut = "Ctrl+V"},
        }},
        {.name = "View", .caption = "表示(&V)", .children = {
            {.name = "FontChange", .caption = "フォント変更(&F)...", .children = {
                {.name = "NormalFontChange", .caption = "通常フォント", .shortcut = "Ctrl+F"},
                {.name = "FixedFontChange", .caption = "固定幅フォント", .shortcut = "Ctrl+K"},
            }},
            {.name = "ColorChange", .caption = "カラー変更(&C)...", .shortcut = "Ctrl+P"},
        }},
        {.name = "tag", .caption = "タグ(&T)", .children = {
            {.name = "hhtb", .caption = "構造タグ"},
            sep("k2"),
            {.name = "comme", .caption = "コメント"},
            {.name = "Br", .caption = "改行タグ"},
            {.name = "p", .caption = "段落タグ", .children = {
                {.name = "pn", .caption = "標準"},
                {.name = "pc", .caption = "カスタム", .children = {
                    {.name = "pcl", .caption = "左寄せ（標準）"},
                    {.name = "pcc", .caption = "センタリング"},
                    {.name = "pcr", .caption = "右寄せ"},
                }},
            }},
            {.name = "lcr", .caption = "ＬＣＲ", .children = {
                {.name = "lcr_l", .caption = "左寄せ（標準）", .children = {
                    {.name = "lcr_l_div", .caption = "DIVタグを使用"},
                    {.name = "lcr_l_p", .caption = "Pタグを使用"},
                }},
                {.name = "lcr_c", .caption = "センタリング", .children = {
                    {.name = "lcr_c_c", .caption = "CENTERタグを使用"},
                    {.name = "lcr_c_div", .caption = "DIVタグを使用"},
                    {.name = "lcr_c_p", .caption = "Pタグを使用"},
                }},
                {.name = "lcr_r", .caption = "右寄せ", .children = {
                    {.name = "lcr_r_div", .caption = "DIVタグを使用"},
                    {.name = "lcr_r_p", .caption = "Pタグを使用"},
                }},
            }},
            sep("k3"),
            {.name = "hFontT", .caption = "フォントタグ", .children = {
                {.name = "hFontTs", .caption = "サイズ変更"},
                {.name = "hFontTc", .caption = "色変更"},
                {.name = "hFontTsc", .caption = "両方"},
            }},
            {.name = "hFontTT", .caption = "フォント形状指定タグ", .children = {
                {.name = "NI", .caption = "物理的形状指定", .children = {
                    {.name = "fb", .caption = "ボールド"},
                    {.name = "Fi", .caption = "イタリック"},
                    {.name = "fs", .caption = "抹消線"},
                    {.name = "ftt", .caption = "タイプライター"},
                    {.name = "fu", .caption = "下線"},
                    {.name = "fsup", .caption = "上付添字"},
                    {.name = "fsub", .caption = "下付添字"},
                }},
                {.name = "IN", .caption = "論理的形状指定", .children = {
                    {.name = "fcite", .caption = "引用"},
                    {.name = "fcode", .caption = "プログラム"},
                    {.name = "fkbd", .caption = "キーボード"},
                    {.name = "fvar", .caption = "変数"},
                    {.name = "fsamp", .caption = "メッセージ"},
                }},
            }},
            {.name = "fheader", .caption = "ヘッダ", .children = {
                {.name = "hleft", .caption = "左側（標準）"},
                {.name = "hcenter", .caption = "中央"},
                {.name = "hright", .caption = "右側"},
            }},
            sep("k4"),
            {.name = "hr", .caption = "区切り線", .children = {
                {.name = "hrn", .caption = "標準"},
                {.name = "hrc", .caption = "カスタム", .children = {
                    {.name = "hrcs", .caption = "影付（標準）"},
                    {.name = "hrcns", .caption = "影なし"},
                }},
            }},
            {.name = "img", .caption = "画像", .children = {
                {.name = "imgn", .caption = "標準"},
                {.name = "imgc", .caption = "カスタム", .children = {
                    {.name = "imgs", .caption = "サイズ変更する", .children = {
                        {.name = "imgst", .caption = "代替テキスト表示", .children = {
                            {.name = "imgstw", .caption = "境界線指定する"},
                            {.name = "imgstwn", .caption = "境界線指定しない"},
                        }},
                        {.name = "imgstn", .caption = "代替テキスト非表示", .children = {
                            {.name = "imgstnw", .caption = "境界線指定する"},
                            {.name = "imgstnwn", .caption = "境界線指定しない"},
                        }},
                    }},
                    {.name = "imgsn", .caption = "サイズ変更しない", .children = {
                        {.name = "imgsnt", .caption = "代替テキスト表示", .children = {
                            {.name = "imgsntw", .caption = "境界線指定する"},
                            {.name = "imgsntwn", .caption = "境界線指定しない"},
                        }},
                        {.name = "imgsntn", .caption = "代替テキスト非表示", .children = {
                            {.name = "imgsntnw", .caption = "境界線指定する"},
                            {.name = "imgsntnwn", .caption = "境界線指定しない"},
                        }},
                    }},
                }},
            }},
            {.name = "table", .caption = "テーブル"},
            sep("k5"),
            {.name = "href", .caption = "リンク", .children = {
                {.name = "hrefn", .caption = "標準"},
                {.name = "hrefc", .caption = "カスタム", .children = {
                    {.name = "hrefct", .caption = "ターゲット指定"},
                    {.name = "hrefcm", .caption = "メール"},
                }},
            }},
            sep("s"),
            {.name = "hColor", .caption = "カラー"},
        }},
        {.name = "uTag", .caption = "ユーザータグ(&U)", .enabled = false, .children = userTagMenu()},
        {.name = "hTemplate", .caption = "テンプレート(&H)", .children = {
            {.name = "hkt", .caption = "標準構造タグ"},
            sep("k11"),
            {.name = "uTemp", .caption = "ユーザーテンプレート", .children = {
                {.name = "uTemp1", .caption = "未定義", .arrayLength = 1},
            }},
        }},
        {.name = "Timenu", .caption = "パス(&P)", .children = {
            {.name = "PathMenu", .caption = "まだ、ファイルを開いていないか、名前を付けて保存していません。"},
            sep("k10"),
            {.name = "Ex_open", .caption = "ｴｸｽﾌﾟﾛｰﾗで開く"},
            {.name = "Br_open", .caption = "ブラウザで開く"},
        }},
        {.name = "vershow", .caption = "ﾊﾞｰｼﾞｮﾝ情報(&A)"},
    };
}

const MenuItemSpec* findIn(const std::vector<MenuItemSpec>& items, const QString& name)
{
    for (const MenuItemSpec& item : items) {
        if (item.name == name)
            return &item;
        if (const MenuItemSpec* found = findIn(item.children, name))
            return found;
    }
    return nullptr;
}

}

const std::vector<MenuItemSpec>& menuTree()
{
    static const std::vector<MenuItemSpec> tree = buildTree();
    return tree;
}

const MenuItemSpec* findMenuItem(const QString& name)
{
    return findIn(menuTree(), name);
}
