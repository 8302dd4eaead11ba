#include "ui/font_choice_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr qreal kSmallestSize = 1.0;
constexpr qreal kLargestSize = 512.0;
const char* const kSizes[] = {"8", "9", "10", "10.5", "11", "12", "14", "16", "18",
                              "20", "22", "24", "26", "28", "36", "48", "72"};

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(24, 14);
    pixmap.fill(colour);
    return QIcon(pixmap);
}
}

QString pointSizeText(qreal points)
{
    // One decimal is as fine as anyone chooses a size; more only shows rounding noise.
    return QString::number(qRound(points * 10.0) / 10.0, 'g', 6);
}

FontChoiceDialog::FontChoiceDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontChoiceDialog"));
    setWindowTitle(title());

    m_face = new QFontComboBox(this);
    m_face->setObjectName(QStringLiteral("fontFace"));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("fontSize"));
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    for (const char* size : kSizes)
        m_size->addItem(QLatin1String(size));
    // Sizes are read with a full stop whatever the locale, as the caption shows them.
    auto* validator = new QDoubleValidator(kSmallestSize, kLargestSize, 1, m_size);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    m_size->lineEdit()->setValidator(validator);

    m_bold = new QCheckBox(QStringLiteral("太字(&B)"), this);
    m_bold->setObjectName(QStringLiteral("fontBold"));
    m_italic = new QCheckBox(QStringLiteral("斜体(&I)"), this);
    m_italic->setObjectName(QStringLiteral("fontItalic"));
    m_underline = new QCheckBox(QStringLiteral("下線(&U)"), this);
    m_underline->setObjectName(QStringLiteral("fontUnderline"));
    m_strikeOut = new QCheckBox(QStringLiteral("取り消し線(&K)"), this);
    m_strikeOut->setObjectName(QStringLiteral("fontStrikeOut"));
    m_colourButton = new QPushButton(QStringLiteral("文字色(&C)..."), this);
    m_colourButton->setObjectName(QStringLiteral("fontColour"));

    m_sample = new QLabel(QStringLiteral("AaBbYyZz あぁアァ亜宇"), this);
    m_sample->setObjectName(QStringLiteral("fontSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFixedSize(300, 80); // a huge size must not blow the dialog up
    m_sample->setAutoFillBackground(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("フォント名(&F):"), m_face);
    form->addRow(QStringLiteral("サイズ(&S):"), m_size);

    auto* styles = new QGroupBox(QStringLiteral("スタイルと文字飾り"), this);
    auto* grid = new QGridLayout(styles);
    grid->addWidget(m_bold, 0, 0);
    grid->addWidget(m_italic, 0, 1);
    grid->addWidget(m_underline, 1, 0);
    grid->addWidget(m_strikeOut, 1, 1);
    grid->addWidget(m_colourButton, 2, 0, 1, 2, Qt::AlignLeft);

    auto* sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(m_sample);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(styles);
    layout->addWidget(sampleBox);
    layout->addWidget(m_buttons);

    connect(m_face, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
        m_family = font.family();
        refresh();
    });
    connect(m_size, &QComboBox::editTextChanged, this, [this] { refresh(); });
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(m_colourButton, &QPushButton::clicked, this, &FontChoiceDialog::chooseColour);

    setChoice({QFont(), QColor(Qt::black)});
}

QString FontChoiceDialog::title()
{
    return QStringLiteral("フォント");
}

void FontChoiceDialog::setChoice(const FontChoice& choice)
{
    {
        const QSignalBlocker blocker(m_face);
        m_face->setCurrentFont(choice.font);
        // A face that is not installed (the design font) stays named as it is.
        m_face->setEditText(choice.font.family());
    }
    m_family = choice.font.family();
    m_size->setEditText(pointSizeText(choice.font.pointSizeF() > 0 ? choice.font.pointSizeF() : 10.0));
    m_bold->setChecked(choice.font.bold());
    m_italic->setChecked(choice.font.italic());
    m_underline->setChecked(choice.font.underline());
    m_strikeOut->setChecked(choice.font.strikeOut());
    m_colour = choice.colour.isValid() ? choice.colour : QColor(Qt::black);
    refresh();
}

FontChoice FontChoiceDialog::choice() const
{
    QFont font(m_family);
    if (hasValidSize())
        font.setPointSizeF(typedSize());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    return {font, m_colour};
}

qreal FontChoiceDialog::typedSize() const
{
    bool ok = false;
    const qreal size = QLocale::c().toDouble(m_size->currentText().trimmed(), &ok);
    return ok ? size : 0.0;
}

bool FontChoiceDialog::hasValidSize() const
{
    const qreal size = typedSize();
    return size >= kSmallestSize && size <= kLargestSize;
}

void FontChoiceDialog::setTextColour(const QColor& colour)
{
    if (!colour.isValid())
        return;
    m_colour = colour;
    refresh();
}

void FontChoiceDialog::chooseColour()
{
    const QColor colour = QColorDialog::getColor(m_colour, this, QStringLiteral("文字色"));
    setTextColour(colour); // an invalid colour means Cancel
}

void FontChoiceDialog::refresh()
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(hasValidSize());
    m_colourButton->setIcon(swatch(m_colour));
    m_sample->setFont(choice().font);
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    palette.setColor(QPalette::WindowText, m_colour);
    m_sample->setPalette(palette);
}
