#include "ui/message_box.h"

#include "text/line_breaks.h"

#include <QMessageBox>

namespace {
QMessageBox::Icon toIcon(MessageIcon icon)
{
    return icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information;
}
}

QString displayLines(QString text)
{
    return linebreak::withBreaks(text, u"\n");
}

bool askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
              bool yesIsDefault)
{
    QMessageBox box(toIcon(icon), title, displayLines(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("question"));
    box.setTextFormat(Qt::PlainText); // "<meta>", a file name or a line of the page, as written
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void tellUser(QWidget* parent, const QString& title, const QString& text, MessageIcon icon)
{
    QMessageBox box(toIcon(icon), title, displayLines(text), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("message"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
