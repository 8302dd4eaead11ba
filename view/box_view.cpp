#include "view/box_view.h"

#include "html/role_palette.h"
#include "ui/document_box.h"
#include "view/blank_marks.h"
#include "view/box_colour.h"
#include "view/line_gutter.h"
#include "view/partner_marks.h"
#include "view/view_switches.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

namespace {
html::Rgb rgbOf(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}
QColor colourOf(html::Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}

// Sees to the viewport's painting: the blocks about to be shown get their colours first, and
// the blank marks go over the text once it is painted.
class BoxView : public QObject {
public:
    BoxView(DocumentBox* box, ViewSwitches* switches)
        : QObject(box), m_box(box), m_colour(new BoxColour(box)), m_gutter(new LineGutter(box)),
          m_partners(new PartnerMarks(box))
    {
        setObjectName(QStringLiteral("boxView"));
        m_colour->setObjectName(QStringLiteral("boxColour"));
        followPalette();
        apply(switches->settings());
        connect(switches, &ViewSwitches::changed, this, &BoxView::apply);
        box->installEventFilter(this);
        box->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_box) {
            if (e->type() == QEvent::PaletteChange)
                followPalette();
            return false;
        }
        if (watched != m_box->viewport() || e->type() != QEvent::Paint || m_painting)
            return false;
        m_colour->colourShown();
        if (!m_blanks)
            return false;
        // The box paints its text (the scroll area sees its viewport's events through a filter
        // of its own), then the marks go over it, in the same paint event.
        m_painting = true;
        QCoreApplication::sendEvent(watched, e);
        m_painting = false;
        QPainter painter(m_box->viewport());
        paintBlankMarks(painter, *m_box, m_faint);
        return true;
    }

private:
    void apply(const ViewSettings& settings)
    {
        m_colour->setOn(settings.colour);
        m_gutter->setOn(settings.lineNumbers);
        m_partners->setOn(true);
        if (settings.showBlanks != m_blanks) {
            m_blanks = settings.showBlanks;
            m_box->viewport()->update();
        }
    }
    void followPalette()
    {
        const html::Rgb background = rgbOf(m_box->palette().color(QPalette::Base));
        const html::Rgb font = rgbOf(m_box->palette().color(QPalette::Text));
        m_faint = colourOf(html::faintColour(background, font));
        m_partners->setMarkColour(colourOf(html::markBackground(background, font)));
        m_colour->followPalette();
        m_box->viewport()->update();
    }

    DocumentBox* m_box;
    BoxColour* m_colour;
    LineGutter* m_gutter;
    PartnerMarks* m_partners;
    QColor m_faint;
    bool m_blanks = false;
    bool m_painting = false;
};
}

void installBoxView(DocumentBox* box, QWidget* window)
{
    new BoxView(box, ViewSwitches::of(box, window));
}
