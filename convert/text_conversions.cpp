#include "convert/text_conversions.h"

#include "document/document.h"
#include "jtext/character_references.h"
#include "jtext/width_and_kana.h"
#include "text/text_encoding.h"
#include "ui/busy_pointer.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "ui/message_box.h"

#include <QAction>
#include <QHash>
#include <QMenu>

#include <optional>

namespace {
const QString kTitle = QStringLiteral("変換");
// Past this much text the conversion takes long enough to show the busy pointer.
constexpr qsizetype kBusyFrom = 1 << 20;

// Whether the document's encoding holds a character, each character asked about once.
jtext::CanHold holdsIn(TextEncoding encoding)
{
    auto known = std::make_shared<QHash<char32_t, bool>>();
    return [encoding, known](char32_t c) {
        const auto found = known->constFind(c);
        if (found != known->constEnd())
            return *found;
        return *known->insert(c, encodingHolds(encoding, c));
    };
}

struct Entry {
    const char* name;
    const char* caption;
    // The conversion, given the document's encoding at the moment it runs.
    TextConverter (*make)(TextEncoding encoding);
};

const Entry kEntries[] = {
    {"convertToHalfWidth", "全角英数字→半角", [](TextEncoding) -> TextConverter { return jtext::fullWidthToHalfWidth; }},
    {"convertToFullWidth", "半角→全角", [](TextEncoding) -> TextConverter { return jtext::halfWidthToFullWidth; }},
    {"convertHalfWidthKana", "半角カナ→全角カナ", [](TextEncoding) -> TextConverter { return jtext::halfWidthKanaToFullWidth; }},
    {"convertToKatakana", "ひらがな→カタカナ", [](TextEncoding) -> TextConverter { return jtext::hiraganaToKatakana; }},
    {"convertToHiragana", "カタカナ→ひらがな", [](TextEncoding) -> TextConverter { return jtext::katakanaToHiragana; }},
    {"convertToReferences", "文字参照にする (ASCII 以外すべて)",
     [](TextEncoding) -> TextConverter { return [](QStringView t) { return jtext::toCharacterReferences(t); }; }},
    {"convertUnsavedToReferences", "文字参照にする (この文字コードで保存できない文字だけ)",
     [](TextEncoding e) -> TextConverter {
         return [holds = holdsIn(e)](QStringView t) { return jtext::toCharacterReferences(t, holds); };
     }},
    // Only into characters the page can be saved with: the rest stay references.
    {"convertFromReferences", "文字参照を文字に戻す",
     [](TextEncoding e) -> TextConverter {
         return [holds = holdsIn(e)](QStringView t) { return jtext::fromCharacterReferences(t, holds); };
     }},
};

constexpr int kFirstReferenceEntry = 5;

void runConversion(DocumentBox* box, const Document& document, QWidget* window, const Entry& entry)
{
    const TextRange selected = box->selection();
    const bool whole = selected.isEmpty();
    if (whole && !askYesNo(window, kTitle, QStringLiteral("選択範囲がありません。\r文書全体を変換しますか？"),
                           MessageIcon::Information, false))
        return;
    ConversionCount count;
    {
        std::optional<BusyPointer> busy;
        if (whole ? box->model().length() > kBusyFrom : selected.end() - selected.start() > kBusyFrom)
            busy.emplace();
        if (whole)
            box->select(0, box->model().length());
        count = convertSelection(*box, entry.make(document.encoding()));
        if (whole)
            box->select(qMin(selected.position, box->model().length()), qMin(selected.position, box->model().length()));
    }
    QString told = count.changed > 0 ? QStringLiteral("%1 文字を変換しました。").arg(count.changed)
                                     : QStringLiteral("変換する文字はありませんでした。");
    if (count.left > 0)
        told += QStringLiteral("\r＜ ＞ ＆ ＂ ＇ は、タグにならないよう全角のまま残しました（%1 文字）。").arg(count.left);
    tellUser(window, kTitle, told, MessageIcon::Information);
}
}

ConversionCount convertSelection(DocumentBox& box, const TextConverter& convert)
{
    const TextRange selected = box.selection();
    const ConvertedLines converted
        = convertLines(box.model().text(selected.start(), selected.end(), u"\n"), convert);
    if (converted.changes.isEmpty())
        return {0, converted.left};
    qsizetype end = selected.end();
    for (const TextChange& change : converted.changes)
        end += change.text.size() - change.length;
    box.replaceSelection(converted.changes);
    box.select(selected.start(), end);
    return {converted.changed, converted.left};
}

void installTextConversions(DocumentBox* box, const Document& document, QWidget* window)
{
    DocumentContextMenu::of(box, window)->addEntries([box, &document, window](QMenu& menu) {
        QMenu* sub = menu.addMenu(QStringLiteral("変換"));
        sub->setObjectName(QStringLiteral("convertMenu"));
        sub->setEnabled(!box->isReadOnly());
        for (const Entry& entry : kEntries) {
            if (&entry == &kEntries[kFirstReferenceEntry])
                sub->addSeparator(); // the character references below the letters
            QAction* action = sub->addAction(QString::fromUtf8(entry.caption));
            action->setObjectName(QLatin1String(entry.name));
            const Entry* chosen = &entry;
            QObject::connect(action, &QAction::triggered, box,
                             [box, &document, window, chosen] { runConversion(box, document, window, *chosen); });
        }
    });
}
