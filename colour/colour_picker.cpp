#include "colour/colour_picker.h"
#include "ui/busy_pointer.h"
#include "text/line_breaks.h"

#include "ui/tools.h"
#include "colour/colour_names.h"
#include "platform/optional_files.h"
#include "ui/form_layout.h"
#include "ui/inset_caption_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

namespace {
QPointer<hColorF> s_picker;

const QString kInitialCode = QStringLiteral("HTML色");
const QString kInitialName = QStringLiteral("色名");

QColor toQColor(const Rgb& c)
{
    return QColor(c.red, c.green, c.blue);
}

}

ColourFaceButton::ColourFaceButton(QWidget* parent)
    : QAbstractButton(parent), m_face(toQColor(kNeutralFace))
{
    setFocusPolicy(Qt::StrongFocus);
}

void ColourFaceButton::setFace(const QColor& face)
{
    m_face = face;
    update();
}

QSize ColourFaceButton::sizeHint() const
{
    return QSize(twipsToPixels(192), twipsToPixels(192));
}

void ColourFaceButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, m_face);
    // A raised edge that sinks while pressed, so a click can be seen.
    const QColor light = isDown() ? Qt::darkGray : Qt::white;
    const QColor dark = isDown() ? Qt::white : Qt::darkGray;
    p.setPen(light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

hColorF* hColorF::showPicker(InsertionPoint& target)
{
    return showOne(s_picker, target);
}

hColorF* hColorF::instance()
{
    return s_picker;
}

hColorF::hColorF(InsertionPoint& target)
    : SideWindow(target, QStringLiteral("hColorF"), QStringLiteral("カラー指定"),
                 QSize(twipsToPixels(6792), twipsToPixels(4044)))
{

    buildControls();
    Form_Load();
}

hColorF::~hColorF() = default;

void hColorF::buildControls()
{
    m_ColorFrame = new InsetCaptionFrame(QStringLiteral("色調整"), this);
    m_ColorFrame->setObjectName(QStringLiteral("ColorFrame"));
    m_ColorFrame->setGeometry(twipsRect(60, 60, 4992, 1812));

    auto label = [](QWidget* parent, const QString& text, QRect geometry) {
        auto* l = new QLabel(text, parent);
        l->setGeometry(geometry);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    };
    auto bar = [this](const char* name, int top, const char* valueName, QLabel*& value) {
        auto* s = new QScrollBar(Qt::Horizontal, m_ColorFrame);
        s->setObjectName(QLatin1String(name));
        s->setGeometry(twipsRect(360, top, 2952, 252));
        s->setRange(0, 255);
        s->setSingleStep(1);
        s->setPageStep(10);
        s->setValue(0);
        value = new QLabel(QStringLiteral("0"), m_ColorFrame);
        value->setObjectName(QLatin1String(valueName));
        value->setGeometry(twipsRect(3420, top, 432, 252));
        // Tracking is on: the value changes, and so the labels and codes, while the thumb is
        // dragged, not only when it is let go.
        connect(s, &QScrollBar::valueChanged, this, [this, value](int v) {
            value->setText(QString::number(v));
            UpdateColorCodes();
        });
        return s;
    };
    const char* letters[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i)
        setArrayName(label(m_ColorFrame, QLatin1String(letters[i]), twipsRect(120, 240 + 300 * i, 192, 192)),
                     QStringLiteral("V"), i);
    m_Rs = bar("Rs", 240, "Rn", m_Rn);
    m_Gs = bar("Gs", 540, "Gn", m_Gn);
    m_Bs = bar("Bs", 840, "Bn", m_Bn);

    m_FullColor = new QFrame(m_ColorFrame);
    m_FullColor->setObjectName(QStringLiteral("FullColor"));
    m_FullColor->setGeometry(twipsRect(3960, 240, 852, 852));
    m_FullColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_FullColor->setAutoFillBackground(true);
    QPalette swatch = m_FullColor->palette();
    swatch.setColor(QPalette::Window, Qt::black);
    m_FullColor->setPalette(swatch);

    auto edit = [this](const char* name, const QString& text, QRect geometry) {
        auto* e = new QLineEdit(text, m_ColorFrame);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(geometry);
        return e;
    };
    auto button = [this](const char* name, const QString& text, QRect geometry) {
        auto* b = new QPushButton(text, m_ColorFrame);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    m_htmlColorN = edit("htmlColorN", kInitialCode, twipsRect(360, 1200, 1032, 264));
    QPushButton* copy1 = button("Copy1", QStringLiteral("転送"), twipsRect(1380, 1200, 612, 252));
    m_htmlColorN2 = edit("htmlColorN2", kInitialCode, twipsRect(360, 1500, 1032, 264));
    QPushButton* copy2 = button("Copy2", QStringLiteral("転送"), twipsRect(1380, 1500, 612, 252));
    // Wider than designed, up to the close button: the substitute Japanese font is wider than
    // the one the window was drawn with, and the caption would lose its last character.
    setArrayName(label(m_ColorFrame, QStringLiteral("色名(パレット使用時)"), twipsRect(2220, 1260, 1860, 192)),
                 QStringLiteral("V"), 3);
    m_ColorName = edit("ColorName", kInitialName, twipsRect(2220, 1500, 1872, 264));
    QPushButton* copy3 = button("Copy3", QStringLiteral("転送"), twipsRect(4080, 1500, 672, 252));
    QPushButton* fin2 = button("fin2", QStringLiteral("閉じる"), twipsRect(4080, 1200, 672, 252));

    connect(copy1, &QPushButton::clicked, this, [this] { transfer(m_htmlColorN); });
    connect(copy2, &QPushButton::clicked, this, [this] { transfer(m_htmlColorN2); });
    connect(copy3, &QPushButton::clicked, this, [this] { transfer(m_ColorName); });
    connect(fin2, &QPushButton::clicked, this, &QWidget::close);

    m_SetColorFrame = new InsetCaptionFrame(QStringLiteral("パレット"), this);
    m_SetColorFrame->setObjectName(QStringLiteral("SetColorFrame"));
    m_SetColorFrame->setGeometry(twipsRect(5100, 60, 1632, 1812));
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteEntry& entry = ::palette()[i];
        auto* b = new ColourFaceButton(m_SetColorFrame);
        b->setObjectName(QLatin1String(entry.button));
        b->setToolTip(QLatin1String(entry.tip));
        const int column = i < 6 ? i : i - 6;
        const int top = i < 6 ? 240 : 480;
        b->setGeometry(twipsRect(120 + 240 * column, top, 192, 192));
        connect(b, &QAbstractButton::clicked, this, [this, i] { paletteClick(i); });
        m_palette[i] = b;
    }

    m_InHtmlCn = new QPlainTextEdit(this);
    m_InHtmlCn->setObjectName(QStringLiteral("InHtmlCn"));
    m_InHtmlCn->setGeometry(twipsRect(60, 1920, 6672, 2052));
    m_InHtmlCn->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_InHtmlCn->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_InHtmlCn->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_InHtmlCn->setTabChangesFocus(true);
}

void hColorF::Form_Load()
{
    const BusyPointer busy;
    CenterForm(this);
    m_InHtmlCn->clear();
    // The palette is painted whether or not the list can be read: ten grey buttons would
    // leave the user guessing which colour each one sets.
    SetPaletteColors();
    const std::optional<QString> list = readColourNameList(optionalFilePath(QStringLiteral("hcnn.otf")));
    if (!list) {
        m_InHtmlCn->setPlainText(linebreak::withBreaks(missingColourNameListText(), u"\n"));
        return;
    }
    m_InHtmlCn->setPlainText(linebreak::withBreaks(*list, u"\n"));
    m_InHtmlCn->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

Rgb hColorF::colour() const
{
    return Rgb{m_Rs->value(), m_Gs->value(), m_Bs->value()};
}

void hColorF::UpdateColorCodes()
{
    const Rgb c = colour();
    m_htmlColorN->setText(quotedColourCode(c));
    m_htmlColorN2->setText(bareColourCode(c));
    QPalette swatch = m_FullColor->palette();
    swatch.setColor(QPalette::Window, toQColor(c));
    m_FullColor->setPalette(swatch);
}

void hColorF::SetPaletteColors()
{
    for (int i = 0; i < kPaletteSize; ++i)
        m_palette[i]->setFace(toQColor(::palette()[i].colour));
}

void hColorF::paletteClick(int index)
{
    const PaletteEntry& entry = ::palette()[index];
    const Rgb before = colour();
    // One bar at a time, each through its own change handling; the name comes last.
    m_Rs->setValue(entry.colour.red);
    m_Gs->setValue(entry.colour.green);
    m_Bs->setValue(entry.colour.blue);
    // When the bars already stood there none of them changed, yet the code boxes may still
    // hold their first text or what the user typed: they must show the colour clicked.
    if (colour() == before)
        UpdateColorCodes();
    m_ColorName->setText(QLatin1String(entry.name));
}

void hColorF::transfer(const QLineEdit* source)
{
    // The text as it stands, typed changes included, and nothing around it.
    insert(source->text());
}

