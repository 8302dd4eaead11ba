#include "table/table_builder.h"
#include "ui/busy_pointer.h"
#include "text/line_breaks.h"

#include "ui/tools.h"
#include "ui/form_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace {
QPointer<hTableF> s_builder;

struct AttributeRow {
    const char* field;
    const char* caption;
    int top; // of the value field; its label and tick box stand 60 twips lower
};
// In output order, as the tick boxes C(0) to C(5) are numbered.
constexpr std::array<AttributeRow, kTableAttributeCount> kRows{{
    {"tth", "縦幅", 120},
    {"tyh", "横幅", 420},
    {"tsw", "外枠", 720},
    {"tws", "枠線", 1020},
    {"ty", "余白", 1320},
    {"ta", "場所", 1620},
}};

QString rowsNote()
{
    return QStringLiteral("縦は %1 までです。").arg(kMaxTableRows);
}

QString columnsNote()
{
    return QStringLiteral("横は %1 までです。").arg(kMaxTableColumns);
}

QString bothNote()
{
    return QStringLiteral("縦 %1、横 %2 までです。").arg(kMaxTableRows).arg(kMaxTableColumns);
}
}

hTableF* hTableF::showBuilder(InsertionPoint& target)
{
    return showOne(s_builder, target);
}

hTableF* hTableF::instance()
{
    return s_builder;
}

hTableF::hTableF(InsertionPoint& target)
    : SideWindow(target, QStringLiteral("hTableF"), QStringLiteral("テーブル設定"),
                 QSize(twipsToPixels(4104), twipsToPixels(3612)))
{

    buildControls();
    Form_Load();
}

hTableF::~hTableF() = default;

void hTableF::buildControls()
{
    auto label = [this](int index, const QString& text, QRect geometry) {
        auto* l = new QLabel(text, this);
        setArrayName(l, QStringLiteral("L"), index);
        l->setGeometry(geometry);
        return l;
    };
    auto lineEdit = [this](const char* name, QRect geometry) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(geometry);
        return e;
    };

    m_ttn = lineEdit("ttn", twipsRect(1740, 600, 432, 252));
    label(0, QStringLiteral("縦"), twipsRect(1500, 660, 192, 192));
    m_tyn = lineEdit("tyn", twipsRect(540, 1260, 432, 264));
    label(1, QStringLiteral("横"), twipsRect(300, 1320, 192, 192));

    for (int i = 0; i < kTableAttributeCount; ++i) {
        const AttributeRow& row = kRows[i];
        label(i + 2, QString::fromUtf8(row.caption), twipsRect(2580, row.top + 60, 372, 192));
        QWidget* field = nullptr;
        if (i == 5) {
            m_ta = new QComboBox(this);
            m_ta->setObjectName(QLatin1String(row.field));
            m_ta->addItems({QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")});
            m_ta->setCurrentIndex(-1);
            m_ta->setGeometry(twipsRect(3000, row.top, 732, 276));
            field = m_ta;
        } else {
            field = lineEdit(row.field, twipsRect(3000, row.top, 700, 264));
        }
        field->setEnabled(false);
        m_fields[i] = field;

        auto* tick = new QCheckBox(this);
        setArrayName(tick, QStringLiteral("C"), i);
        tick->setGeometry(twipsRect(3780, row.top + 60, 192, 192));
        // A style's box can be larger than the design's; at the design size it loses its edges.
        tick->resize(tick->size().expandedTo(tick->sizeHint()));
        connect(tick, &QCheckBox::toggled, this, [this, i] { C_Click(i); });
        m_C[i] = tick;
    }

    m_TableCopyString = new QPlainTextEdit(this);
    m_TableCopyString->setObjectName(QStringLiteral("TableCopyString"));
    m_TableCopyString->setGeometry(twipsRect(120, 1980, 3852, 1224));
    m_TableCopyString->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_TableCopyString->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_TableCopyString->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_TableCopyString->setTabChangesFocus(true);
    connect(m_TableCopyString->document(), &QTextDocument::contentsChanged, this,
            [this] { m_previewEdited = true; });

    auto* Tcpy = new QPushButton(QStringLiteral("転送"), this);
    Tcpy->setObjectName(QStringLiteral("Tcpy"));
    Tcpy->setGeometry(twipsRect(1020, 3240, 972, 312));
    Tcpy->setAutoDefault(false);
    connect(Tcpy, &QPushButton::clicked, this, &hTableF::Tcpy_Click);
    auto* tfin = new QPushButton(QStringLiteral("閉じる"), this);
    tfin->setObjectName(QStringLiteral("tfin"));
    tfin->setGeometry(twipsRect(2100, 3240, 972, 312));
    tfin->setAutoDefault(false);
    connect(tfin, &QPushButton::clicked, this, &QWidget::close);

    // Below the columns field, where nothing else stands: says when a count was cut down.
    m_countNote = new QLabel(this);
    m_countNote->setObjectName(QStringLiteral("countNote"));
    m_countNote->setGeometry(twipsRect(120, 1560, 2400, 400));
    m_countNote->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette note = m_countNote->palette();
    note.setColor(QPalette::WindowText, QColor(176, 0, 0));
    m_countNote->setPalette(note);
    m_countNote->hide();

    fitAlignmentList();

    // The keyboard order of the design.
    const QList<QWidget*> order{m_ttn, m_tyn, m_fields[0], m_fields[1], m_fields[2], m_fields[3],
                                m_fields[4], m_C[0], m_C[1], m_C[2], m_C[3], m_C[4], Tcpy,
                                m_TableCopyString, m_C[5], m_ta, tfin};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_CSView = new QTimer(this);
    m_CSView->setObjectName(QStringLiteral("CSView"));
    m_CSView->setInterval(500);
    connect(m_CSView, &QTimer::timeout, this, &hTableF::CSView_Timer);
}

void hTableF::fitAlignmentList()
{
    // The design's drop-down is too narrow for "center" in the Japanese fonts of a Linux
    // desktop (their Latin letters are wide). Where the font needs it, the list is widened to
    // its longest item, and the tick boxes and the window's right edge make room for it.
    const int needed = m_ta->sizeHint().width();
    if (needed <= m_ta->width())
        return;
    m_ta->resize(needed, m_ta->height());
    const int gap = twipsToPixels(48);
    const int shift = qMax(0, m_ta->geometry().right() + gap - m_C[5]->x());
    for (QCheckBox* tick : m_C)
        tick->move(tick->x() + shift, tick->y());
    setFixedSize(width() + shift, height());
}

void hTableF::Form_Load()
{
    CenterForm(this);
    m_TableCopyString->clear();
    m_TableMarkup = initialTableMarkup();
    showPreview();
    m_ttn->setFocus();
    m_CSView->start();
}

void hTableF::C_Click(int index)
{
    // The field keeps its text while disabled; an unticked row is simply not written.
    m_fields[index]->setEnabled(m_C[index]->isChecked());
}

void hTableF::CSView_Timer()
{
    TableAttributes attributes;
    for (int i = 0; i < kTableAttributeCount; ++i) {
        if (!m_C[i]->isChecked())
            continue;
        if (i == 5)
            attributes[i] = m_ta->currentIndex() >= 0 ? m_ta->currentText() : QString();
        else
            attributes[i] = static_cast<QLineEdit*>(m_fields[i])->text();
    }
    const Count rows = readCount(m_ttn->text(), kMaxTableRows);
    const Count columns = readCount(m_tyn->text(), kMaxTableColumns);
    m_TableMarkup = tableMarkup(attributes, rows.value, columns.value);
    showClampNote(rows.clamped, columns.clamped);
    showPreview();
}

void hTableF::showPreview()
{
    // Rewriting a large preview costs far more than building it, so an idle builder leaves
    // it alone; text typed into it still goes at the next tick.
    if (!m_previewEdited && m_previewShows == m_TableMarkup)
        return;
    // Near the largest counts the rewrite takes a noticeable fraction of a second.
    std::optional<BusyPointer> busy;
    if (m_TableMarkup.size() > 100'000)
        busy.emplace();
    m_TableCopyString->setPlainText(linebreak::withBreaks(m_TableMarkup, u"\n"));
    busy.reset();
    m_previewShows = m_TableMarkup;
    m_previewEdited = false;
}

void hTableF::showClampNote(bool rowsClamped, bool columnsClamped)
{
    if (rowsClamped == m_rowsClamped && columnsClamped == m_columnsClamped)
        return;
    m_rowsClamped = rowsClamped;
    m_columnsClamped = columnsClamped;
    m_ttn->setToolTip(rowsClamped ? rowsNote() : QString());
    m_tyn->setToolTip(columnsClamped ? columnsNote() : QString());
    m_countNote->setText(rowsClamped && columnsClamped ? bothNote()
                         : rowsClamped                 ? rowsNote()
                         : columnsClamped              ? columnsNote()
                                                       : QString());
    m_countNote->setVisible(rowsClamped || columnsClamped);
}

void hTableF::Tcpy_Click()
{
    // The markup of the last tick, not whatever the preview box holds now.
    insert(m_TableMarkup);
}

void hTableF::paintEvent(QPaintEvent*)
{
    // The little picture of a two-by-two table, as twenty lines: an outer box lit from the
    // top left, and four cells that look pressed in.
    QPainter p(this);
    const QColor dark = palette().color(QPalette::WindowText);
    const QColor light = Qt::white;
    auto line = [&p](const QColor& colour, int x1, int y1, int x2, int y2) {
        p.setPen(colour);
        p.drawLine(twipsToPixels(x1), twipsToPixels(y1), twipsToPixels(x2), twipsToPixels(y2));
    };
    auto box = [&line](int left, int top, int right, int bottom, const QColor& topLeft,
                       const QColor& bottomRight) {
        line(topLeft, left, top, right, top);
        line(topLeft, left, top, left, bottom);
        line(bottomRight, left, bottom, right, bottom);
        line(bottomRight, right, top, right, bottom);
    };
    box(120, 120, 1380, 1140, light, dark);
    for (const auto& [left, right] : {std::pair{180, 720}, std::pair{780, 1320}})
        for (const auto& [top, bottom] : {std::pair{180, 600}, std::pair{660, 1080}})
            box(left, top, right, bottom, dark, light);
}

void hTableF::closeEvent(QCloseEvent* event)
{
    m_CSView->stop();
    SideWindow::closeEvent(event);
}
