#include "ui/document_box.h"
#include "ui/file_controler.h"
#include "ui/font_choice_dialog.h"
#include "ui/command_surface_parts.h"
#include "ui/menu_surface.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QPalette>

namespace {
// The look of editwindow for this run; nothing of it is stored, so every start is the same.
class EditorAppearance : public QObject {
public:
    EditorAppearance(DocumentBox* box, FileControler& files, QWidget* window)
        : QObject(box), m_window(window), m_box(box), m_files(files), m_normalFont(box->font())
    {
        setObjectName(QStringLiteral("editorAppearance"));
    }

    void NormalFontChange_Click()
    {
        DocumentBox* box = m_box;
        // The dialog starts from the normal font even while the fixed-width one is shown.
        const FontChoice start{m_normalFont, box->palette().color(QPalette::Text)};
        const std::optional<FontChoice> chosen = m_files.askFont(m_window, start);
        if (!chosen)
            return;
        m_normalFont = chosen->font;
        box->setFont(m_normalFont);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, chosen->colour);
        box->setPalette(palette);

        if (auto* button = m_window->findChild<QAbstractButton*>(QStringLiteral("FontChangeIcon"))) {
            // The caption keeps its own size: it names the size rather than showing it.
            QFont face = button->font();
            face.setFamilies(m_normalFont.families().isEmpty() ? QStringList{m_normalFont.family()}
                                                              : m_normalFont.families());
            face.setBold(m_normalFont.bold());
            face.setItalic(m_normalFont.italic());
            face.setUnderline(m_normalFont.underline());
            face.setStrikeOut(m_normalFont.strikeOut());
            button->setFont(face);
            button->setText(pointSizeText(m_normalFont.pointSizeF()));
        }
    }

    void FixedFontChange_Click()
    {
        m_box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }

    void ColorChange_Click()
    {
        DocumentBox* box = m_box;
        const std::optional<QColor> chosen =
            m_files.askColor(m_window, box->palette().color(QPalette::Base));
        if (!chosen)
            return;
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, *chosen);
        box->setPalette(palette);

        if (auto* button = m_window->findChild<QAbstractButton*>(QStringLiteral("ColorChangeIcon")))
            showFaceColour(*button, *chosen);
    }

private:
    static void showFaceColour(QAbstractButton& button, const QColor& colour)
    {
        QPalette palette = button.palette();
        palette.setColor(QPalette::Button, colour);
        palette.setColor(QPalette::Window, colour);
        button.setPalette(palette);
        button.setAutoFillBackground(true);
        // A style sheet on the button would paint over the palette; a rule naming the button
        // wins over its plain declarations.
        if (!button.styleSheet().isEmpty()) {
            const QString rule = QStringLiteral("\n#ColorChangeIcon { background-color: %1; }")
                                     .arg(colour.name());
            QString sheet = button.styleSheet();
            const qsizetype previous = sheet.indexOf(QLatin1String("\n#ColorChangeIcon {"));
            if (previous >= 0)
                sheet.truncate(previous);
            button.setStyleSheet(sheet + rule);
        }
    }

    QWidget* m_window;
    DocumentBox* m_box;
    FileControler& m_files;
    QFont m_normalFont;
};
}

void installAppearanceCommands(MenuSurface& menus, DocumentBox* box, FileControler& files, QWidget* window)
{
    auto* appearance = new EditorAppearance(box, files, window);
    menus.onTriggered(QStringLiteral("NormalFontChange"), [appearance] { appearance->NormalFontChange_Click(); });
    menus.onTriggered(QStringLiteral("FixedFontChange"), [appearance] { appearance->FixedFontChange_Click(); });
    menus.onTriggered(QStringLiteral("ColorChange"), [appearance] { appearance->ColorChange_Click(); });
}
