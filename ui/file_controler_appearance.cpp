#include "ui/file_controler.h"
#include "ui/font_choice_dialog.h"

#include <QColorDialog>

std::optional<FontChoice> FileControler::askFont(QWidget* parent, const FontChoice& start)
{
    FontChoiceDialog dialog(parent);
    dialog.setChoice(start);
    if (dialog.exec() != QDialog::Accepted || !dialog.hasValidSize())
        return std::nullopt;
    return dialog.choice();
}

std::optional<QColor> FileControler::askColor(QWidget* parent, const QColor& start)
{
    const QColor colour = QColorDialog::getColor(start, parent, QStringLiteral("背景色"));
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}
