#include "app/application.h"
#include "app/document_box.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "colour/colour_picker.h"
#include "ui/form_layout.h"
#include "window_test_support.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

namespace {
template <class T>
T* control(const QString& name)
{
    T* c = hColorF::instance() ? hColorF::instance()->findChild<T*>(name) : nullptr;
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}
QString text(const char* box)
{
    return control<QLineEdit>(box)->text();
}
QString label(const char* name)
{
    return control<QLabel>(name)->text();
}
void click(const char* button)
{
    QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton);
}
QColor swatch()
{
    return control<QFrame>("FullColor")->palette().color(QPalette::Window);
}
QString list()
{
    return control<QPlainTextEdit>("InHtmlCn")->toPlainText();
}
}

class ColourPickerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        programPaths() = PathParts();
        m_window = std::make_unique<HtmlE>();
        m_window->startUp(QString());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        // The picker goes with the window it writes into.
        QVERIFY(!hColorF::instance());
        m_folder.reset();
    }

    hColorF* open()
    {
        trigger(*m_window, "hColor");
        hColorF* picker = hColorF::instance();
        if (!picker || !QTest::qWaitForWindowExposed(picker))
            return nullptr;
        return picker;
    }

    void opensAsDesigned()
    {
        m_folder->write("hcnn.otf", "red   #FF0000\r\nblue  #0000FF");
        hColorF* picker = open();
        QVERIFY(picker);
        QCOMPARE(picker->windowTitle(), QString("カラー指定"));
        QVERIFY(!picker->parentWidget());
        QVERIFY(!picker->isModal());
        QCOMPARE(picker->minimumSize(), QSize(453, 270));
        QCOMPARE(picker->maximumSize(), QSize(453, 270));
        QCOMPARE(control<QScrollBar>("Rs")->geometry(), QRect(24, 16, 197, 17));
        QCOMPARE(control<QWidget>("SetColorFrame")->geometry(), QRect(340, 4, 109, 121));
        QCOMPARE(control<QWidget>("P10")->geometry(), QRect(56, 32, 13, 13));
        QCOMPARE(control<QWidget>("InHtmlCn")->geometry(), QRect(4, 128, 445, 137));

        QStringList letters;
        for (int i = 0; i < 4; ++i)
            letters << arrayElement<QLabel>(picker, "V", i)->text();
        QCOMPARE(letters, QStringList({"R", "G", "B", "色名(パレット使用時)"}));
        for (const char* bar : {"Rs", "Gs", "Bs"}) {
            QScrollBar* s = control<QScrollBar>(bar);
            QCOMPARE(s->value(), 0);
            QCOMPARE(s->maximum(), 255);
        }
        for (const char* value : {"Rn", "Gn", "Bn"})
            QCOMPARE(label(value), QString("0"));
        QCOMPARE(text("htmlColorN"), QString("HTML色"));
        QCOMPARE(text("htmlColorN2"), QString("HTML色"));
        QCOMPARE(text("ColorName"), QString("色名"));
        QCOMPARE(swatch(), QColor(Qt::black));
        QCOMPARE(static_cast<ColourFaceButton*>(control<QWidget>("P8"))->face(), QColor(165, 42, 42));

        // The list as the file has it, a last line without a line end included.
        QCOMPARE(list(), QString("red   #FF0000\nblue  #0000FF\n"));
        QCOMPARE(control<QPlainTextEdit>("InHtmlCn")->font().family(),
                 QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void barsFollowTheThumbAndStep()
    {
        open();
        QScrollBar* rs = control<QScrollBar>("Rs");
        QStyleOptionSlider option;
        option.initFrom(rs);
        option.orientation = Qt::Horizontal;
        option.minimum = rs->minimum();
        option.maximum = rs->maximum();
        option.sliderPosition = rs->sliderPosition();
        option.sliderValue = rs->value();
        option.singleStep = rs->singleStep();
        option.pageStep = rs->pageStep();
        option.subControls = QStyle::SC_All;
        const QRect thumb = rs->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, rs);
        QTest::mousePress(rs, Qt::LeftButton, {}, thumb.center());
        QTest::mouseMove(rs, QPoint(rs->width() + 50, thumb.center().y()));
        // Still held: the labels and codes have followed already.
        QVERIFY(rs->isSliderDown());
        QCOMPARE(label("Rn"), QString("255"));
        QVERIFY(text("htmlColorN2").startsWith("#FF"));
        QTest::mouseRelease(rs, Qt::LeftButton, {}, QPoint(rs->width() + 50, thumb.center().y()));
        QCOMPARE(text("htmlColorN"), QString("\"#FF0000\""));
        QCOMPARE(swatch(), QColor(255, 0, 0));

        QScrollBar* gs = control<QScrollBar>("Gs");
        gs->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(label("Gn"), QString("1"));
        gs->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(label("Gn"), QString("11"));
        QCOMPARE(text("htmlColorN2"), QString("#FF0B00"));
        // Neither end can be passed.
        rs->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(rs->value(), 255);
    }

    void paletteGoesThroughEachBarThenWritesTheName()
    {
        open();
        // Black is where the bars start, yet the codes must show it.
        click("P7");
        QCOMPARE(text("htmlColorN"), QString("\"#000000\""));
        QCOMPARE(text("ColorName"), QString("black"));
        control<QLineEdit>("htmlColorN2")->setText("typed");
        click("P7");
        QCOMPARE(text("htmlColorN2"), QString("#000000"));

        click("P9");
        QCOMPARE(text("htmlColorN2"), QString("#FFA500"));

        QStringList seen;
        connect(control<QLineEdit>("htmlColorN2"), &QLineEdit::textChanged, this, [&](const QString& t) { seen << t; });
        connect(control<QLineEdit>("ColorName"), &QLineEdit::textChanged, this, [&](const QString& t) { seen << t; });
        click("P8");
        QCOMPARE(seen, QStringList({"#A5A500", "#A52A00", "#A52A2A", "brown"}));
        QCOMPARE(text("htmlColorN"), QString("\"#A52A2A\""));
        QCOMPARE(QStringList({label("Rn"), label("Gn"), label("Bn")}), QStringList({"165", "42", "42"}));
        QCOMPARE(swatch(), QColor(165, 42, 42));

        // A bar moved afterwards changes the codes and keeps the palette's name.
        control<QLineEdit>("htmlColorN")->setText("typed");
        control<QScrollBar>("Bs")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(text("htmlColorN"), QString("\"#A52A2B\""));
        QCOMPARE(text("ColorName"), QString("brown"));

        // P5's tip and written name differ.
        QCOMPARE(control<QWidget>("P5")->toolTip(), QString("cyan/aqua"));
        click("P5");
        QCOMPARE(text("ColorName"), QString("cyan or aqua"));
        QCOMPARE(text("htmlColorN2"), QString("#00FFFF"));
    }

    void transfersInsertTheBoxesAsTheyStand()
    {
        m_window->setDocument("one two\r\n");
        open();
        placeCaret(*m_window, 0);
        click("Copy1");
        click("Copy3");
        QCOMPARE(m_window->editwindow()->documentText(), QString("HTML色色名one two\r\n"));

        click("P10");
        placeCaret(*m_window, m_window->editwindow()->document()->characterCount() - 1);
        click("Copy2");
        click("Copy1");
        click("Copy3");
        QCOMPARE(m_window->editwindow()->documentText(),
                 QString("HTML色色名one two\r\n#8A2BE2\"#8A2BE2\"blueviolet"));

        // Over a selection: the selection goes, the caret ends after the code, one undo step.
        m_window->setDocument("a red b");
        selectRange(*m_window, 2, 5);
        control<QLineEdit>("ColorName")->setText("my own");
        click("Copy3");
        QCOMPARE(m_window->editwindow()->documentText(), QString("a my own b"));
        QCOMPARE(caretPosition(*m_window), 8);
        QVERIFY(!hasSelection(*m_window));
        m_window->editwindow()->undo();
        QCOMPARE(m_window->editwindow()->documentText(), QString("a red b"));
        QVERIFY(hColorF::instance()->isVisible());
    }

    void oneOpenPickerAndAFreshOneAfterClosing()
    {
        m_folder->write("hcnn.otf", "first\r\n");
        hColorF* picker = open();
        click("P1");
        // Asked again while open: the same window, unchanged.
        QCOMPARE(open(), picker);
        QCOMPARE(text("ColorName"), QString("red"));
        QCOMPARE(list(), QString("first\n"));

        m_folder->write("hcnn.otf", "second\r\n");
        click("fin2");
        QTRY_VERIFY(!hColorF::instance());
        QTRY_COMPARE(QApplication::focusWidget(), m_window->editwindow());

        open();
        QCOMPARE(text("htmlColorN2"), QString("HTML色"));
        QCOMPARE(control<QScrollBar>("Rs")->value(), 0);
        QCOMPARE(swatch(), QColor(Qt::black));
        QCOMPARE(list(), QString("second\n"));

        // The close box ends the same way.
        hColorF::instance()->close();
        QTRY_VERIFY(!hColorF::instance());
        QTRY_COMPARE(QApplication::focusWidget(), m_window->editwindow());
    }

    void missingOrEmptyColourNameList()
    {
        open();
        QCOMPARE(list(), QString("エラー！hcnn.otf ファイルが見つかりません！！\n"));
        // The palette still shows its colours, and everything else works.
        QCOMPARE(static_cast<ColourFaceButton*>(control<QWidget>("P1"))->face(), QColor(255, 0, 0));
        click("P2");
        QCOMPARE(text("htmlColorN2"), QString("#0000FF"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        hColorF::instance()->close();
        QTRY_VERIFY(!hColorF::instance());

        m_folder->write("hcnn.otf", "");
        open();
        QCOMPARE(list(), QString());
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<HtmlE> m_window;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    ColourPickerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_colour_picker.moc"
