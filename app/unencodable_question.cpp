#include "app/unencodable_question.h"

#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>

UnencodableChoice askAboutUnencodable(QWidget& window, const EncodedText& report, TextEncoding encoding,
                                      bool undecodable, const QString& foreignEncoding)
{
    const QString name = encodingName(encoding);
    const bool unencodable = report.unencodableCount > 0;
    QStringList lines;
    if (unencodable) {
        lines << QStringLiteral("この文書には %1 で保存できない文字があります。").arg(name)
              << QStringLiteral("%1 文字（最初は %2 行目）").arg(report.unencodableCount).arg(report.firstUnencodableLine);
    }
    if (!foreignEncoding.isEmpty()) {
        lines << QStringLiteral("このファイルは %1 で書かれているようですが、%2 として読み込んでいます。")
                     .arg(foreignEncoding, name)
              << QStringLiteral("保存すると、元の内容と変わることがあります。");
    } else if (undecodable) {
        lines << QStringLiteral("読み込めなかったバイトは元のとおりには書き戻せません。");
    }
    if (unencodable)
        lines << QStringLiteral("文字参照（&#x...;）にして %1 のまま保存するか、UTF-8 で保存するかを選んでください。").arg(name);

    QMessageBox box(QMessageBox::Warning, QStringLiteral("HtmlE"), displayLines(lines.join(u'\r')),
                    QMessageBox::NoButton, &window);
    box.setObjectName(QStringLiteral("unencodableQuestion"));
    box.setTextFormat(Qt::PlainText);
    if (unencodable) {
        box.addButton(QMessageBox::Save)->setText(QStringLiteral("文字参照で保存(&R)"));
        box.addButton(QMessageBox::Apply)->setText(QStringLiteral("UTF-8 で保存(&U)"));
    } else {
        // Nothing the encoding lacks: only whether the marks may replace the bytes.
        box.addButton(QMessageBox::Save)->setText(QStringLiteral("保存(&S)"));
    }
    box.addButton(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Save))
        return UnencodableChoice::CharacterReferences;
    if (box.clickedButton() == box.button(QMessageBox::Apply))
        return UnencodableChoice::Utf8;
    return UnencodableChoice::Cancel;
}

ReadBackChoice askAboutReadingBack(QWidget& window, TextEncoding encoding, const QString& declaration,
                                   bool byteOrderMark)
{
    QStringList lines{QStringLiteral("%1 で保存すると、次に開いたときに別の文字コードとして読まれ、"
                                     "文字が変わってしまいます。").arg(encodingName(encoding))};
    if (!declaration.isEmpty())
        lines << QStringLiteral("<meta charset=\"%1\"> と宣言すれば正しく読み込めます。").arg(declaration);
    if (byteOrderMark)
        lines << QStringLiteral("BOM（バイトオーダーマーク）を付ければ正しく読み込めます。");
    QMessageBox box(QMessageBox::Warning, QStringLiteral("HtmlE"), displayLines(lines.join(u'\r')),
                    QMessageBox::NoButton, &window);
    box.setObjectName(QStringLiteral("readBackQuestion"));
    box.setTextFormat(Qt::PlainText);
    auto add = [&box](QMessageBox::StandardButton which, const QString& text) {
        QPushButton* button = box.addButton(which);
        button->setText(text);
        return button;
    };
    QPushButton* declare = declaration.isEmpty() ? nullptr : add(QMessageBox::Yes, QStringLiteral("宣言を書いて保存(&D)"));
    QPushButton* mark = byteOrderMark ? add(QMessageBox::Apply, QStringLiteral("BOM を付けて保存(&B)")) : nullptr;
    QPushButton* asItIs = add(QMessageBox::Save, QStringLiteral("このまま保存(&S)"));
    add(QMessageBox::Cancel, QStringLiteral("キャンセル"));
    if (QPushButton* offered = declare ? declare : mark)
        box.setDefaultButton(offered);
    else
        box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (declare && box.clickedButton() == declare)
        return ReadBackChoice::Declaration;
    if (mark && box.clickedButton() == mark)
        return ReadBackChoice::ByteOrderMark;
    if (box.clickedButton() == asItIs)
        return ReadBackChoice::AsItIs;
    return ReadBackChoice::Cancel;
}
