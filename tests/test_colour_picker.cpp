#include "colour/colour_picker.h"
#include "window_test_support.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {
template <class T>
T* control(const QString& name) { return ::control<T>(hColorF::instance(), name); }
QString text(const char* box) { return control<QLineEdit>(box)->text(); }
QString label(const char* name) { return control<QLabel>(name)->text(); }
void click(const char* button) { ::click(hColorF::instance(), button); }
QColor swatch() { return control<QFrame>("FullColor")->palette().color(QPalette::Window); }
QString list() { return control<QPlainTextEdit>("InHtmlCn")->toPlainText(); }
}

class ColourPickerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m = std::make_unique<SideWindowFixture>(); }
    void cleanup()
    {
        m.reset();
        // The picker goes with the window it writes into.
        QVERIFY(!hColorF::instance());
    }

    void barsFollowWhileHeld()
    {
        m->open<hColorF>("hColor");
        QScrollBar* rs = control<QScrollBar>("Rs");
        rs->setSliderDown(true);
        rs->setSliderPosition(255);
        QCOMPARE(label("Rn"), QString("255"));
        QCOMPARE(text("htmlColorN2"), QString("#FF0000"));
        rs->setSliderDown(false);
        QCOMPARE(text("htmlColorN"), QString("\"#FF0000\""));
        QCOMPARE(swatch(), QColor(255, 0, 0));
    }

    void paletteGoesThroughEachBarThenWritesTheName()
    {
        m->open<hColorF>("hColor");
        // Black is where the bars start, yet the codes must show it.
        click("P7");
        QCOMPARE(text("htmlColorN"), QString("\"#000000\""));
        QCOMPARE(text("ColorName"), QString("black"));
        control<QLineEdit>("htmlColorN2")->setText("typed");
        click("P7");
        QCOMPARE(text("htmlColorN2"), QString("#000000"));

        QStringList seen;
        connect(control<QLineEdit>("htmlColorN2"), &QLineEdit::textChanged, this, [&](const QString& t) { seen << t; });
        connect(control<QLineEdit>("ColorName"), &QLineEdit::textChanged, this, [&](const QString& t) { seen << t; });
        click("P8");
        QCOMPARE(seen, QStringList({"#A50000", "#A52A00", "#A52A2A", "brown"}));
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
        m->window.setDocument("one two\r\n");
        m->open<hColorF>("hColor");
        placeCaret(m->window, 0);
        click("Copy1");
        click("Copy3");
        QCOMPARE(m->window.editwindow()->documentText(), QString("HTML色色名one two\r\n"));

        click("P10");
        placeCaret(m->window, m->window.editwindow()->document()->characterCount() - 1);
        for (const char* button : {"Copy2", "Copy1", "Copy3"})
            click(button);
        QCOMPARE(m->window.editwindow()->documentText(),
                 QString("HTML色色名one two\r\n#8A2BE2\"#8A2BE2\"blueviolet"));

        // Over a selection: the selection goes, the caret ends after the code, one undo step.
        m->window.setDocument("a red b");
        selectRange(m->window, 2, 5);
        control<QLineEdit>("ColorName")->setText("my own");
        click("Copy3");
        QCOMPARE(m->window.editwindow()->documentText(), QString("a my own b"));
        QCOMPARE(caretPosition(m->window), 8);
        QVERIFY(!hasSelection(m->window));
        m->window.editwindow()->undoStep();
        QCOMPARE(m->window.editwindow()->documentText(), QString("a red b"));
        QVERIFY(hColorF::instance()->isVisible());
    }

    void oneOpenPickerAndAFreshOneAfterClosing()
    {
        // The list as the file has it, a last line without a line end included.
        m->folder.write("hcnn.otf", "red   #FF0000\r\nblue");
        hColorF* picker = m->open<hColorF>("hColor");
        QVERIFY(picker && !picker->parentWidget() && !picker->isModal());
        QCOMPARE(list(), QString("red   #FF0000\nblue\n"));
        click("P1");
        // Asked again while open: the same window, unchanged.
        QCOMPARE(m->open<hColorF>("hColor"), picker);
        QCOMPARE(text("ColorName"), QString("red"));

        // Both ways of closing give the focus back; the next one starts black and re-reads the list.
        m->folder.write("hcnn.otf", "second\r\n");
        for (const char* button : {"fin2", ""}) {
            QVERIFY(m->close<hColorF>(button));
            m->open<hColorF>("hColor");
            QCOMPARE(text("htmlColorN2"), QString("HTML色"));
            QCOMPARE(control<QScrollBar>("Rs")->value(), 0);
            QCOMPARE(swatch(), QColor(Qt::black));
            QCOMPARE(list(), QString("second\n"));
        }
    }

    void missingOrEmptyColourNameList()
    {
        m->open<hColorF>("hColor");
        QCOMPARE(list(), QString("エラー！hcnn.otf ファイルが見つかりません！！\n"));
        // The palette still shows its colours, and everything else works.
        QCOMPARE(static_cast<ColourFaceButton*>(control<QWidget>("P1"))->face(), QColor(255, 0, 0));
        click("P2");
        QCOMPARE(text("htmlColorN2"), QString("#0000FF"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(m->close<hColorF>(""));

        m->folder.write("hcnn.otf", "");
        m->open<hColorF>("hColor");
        QCOMPARE(list(), QString());
    }

private:
    std::unique_ptr<SideWindowFixture> m;
};

VORNIK_WINDOW_TEST_MAIN(ColourPickerTest)
#include "test_colour_picker.moc"
