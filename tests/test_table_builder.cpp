#include "table/table_builder.h"
#include "ui/form_layout.h"
#include "window_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {
template <class T>
T* control(const QString& name) { return ::control<T>(hTableF::instance(), name); }
QCheckBox* tick(int index) { return arrayElement<QCheckBox>(hTableF::instance(), "C", index); }
QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
QPlainTextEdit* preview() { return control<QPlainTextEdit>("TableCopyString"); }
void click(const char* button) { ::click(hTableF::instance(), button); }
QString crlf(QString boxText) { return boxText.replace("\n", "\r\n"); }
}

class TableBuilderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m = std::make_unique<SideWindowFixture>(); }
    void cleanup()
    {
        m.reset();
        QVERIFY(!hTableF::instance());
    }

    void transferBeforeAndAfterTheFirstTick()
    {
        // At once, before the event loop can run a tick.
        trigger(m->window, "table");
        hTableF* b = hTableF::instance();
        QVERIFY(b);
        control<QPushButton>("Tcpy")->click();
        QCOMPARE(m->window.editwindow()->documentText(), QString("<table>\r\n</table>"));
        // The timer runs by itself: within half a second the final line end is there.
        QTRY_COMPARE(crlf(preview()->toPlainText()), QString("<table>\r\n</table>\r\n"));
        QCOMPARE(b->TableMarkup(), QString("<table>\r\n</table>\r\n"));
        m->window.setDocument("ab");
        selectRange(m->window, 1, 2);
        click("Tcpy");
        QCOMPARE(m->window.editwindow()->documentText(), QString("a<table>\r\n</table>\r\n"));
        QVERIFY(!hasSelection(m->window));
        QVERIFY(b->isVisible());
    }

    void markupFollowsTheFields()
    {
        hTableF* b = m->open<hTableF>("table");
        edit("ttn")->setText("2");
        edit("tyn")->setText("3");
        tick(2)->click();
        edit("tsw")->setText("1");
        b->CSView_Timer();
        const QString expected = "<table border=\"1\">\r\n<tr>\r\n<td>\r\n<td>\r\n<td>\r\n<tr>\r\n<td>\r\n<td>\r\n"
                                 "<td>\r\n</table>\r\n";
        QCOMPARE(b->TableMarkup(), expected);
        QCOMPARE(crlf(preview()->toPlainText()), expected);

        // Counts read as numbers: " 3x" gives three rows, "x3" no cells.
        edit("ttn")->setText(" 3x");
        edit("tyn")->setText("x3");
        b->CSView_Timer();
        QCOMPARE(b->TableMarkup(), QString("<table border=\"1\">\r\n<tr>\r\n<tr>\r\n<tr>\r\n</table>\r\n"));

        // All six, in their order; the drop-down gives its chosen item.
        const char* fields[] = {"tth", "tyh", "tsw", "tws", "ty"};
        const char* values[] = {"100", "80%", "1", "2", "3"};
        for (int i = 0; i < 6; ++i) {
            if (!tick(i)->isChecked())
                tick(i)->click();
            if (i < 5)
                edit(fields[i])->setText(values[i]);
        }
        control<QComboBox>("ta")->setCurrentIndex(1);
        edit("ttn")->clear();
        b->CSView_Timer();
        QCOMPARE(b->TableMarkup(),
                 QString("<table height=\"100\" width=\"80%\" border=\"1\" cellspacing=\"2\" cellpadding=\"3\" "
                         "align=\"center\">\r\n</table>\r\n"));
    }

    void tickBoxesEnableTheirFields()
    {
        hTableF* b = m->open<hTableF>("table");
        for (const char* field : {"tth", "tyh", "tsw", "tws", "ty", "ta"})
            QVERIFY2(!control<QWidget>(field)->isEnabled(), field);
        QVERIFY(!control<QComboBox>("ta")->isEditable());
        tick(0)->click();
        QVERIFY(edit("tth")->isEnabled());
        edit("tth")->setText("50");
        b->CSView_Timer();
        QVERIFY(b->TableMarkup().startsWith("<table height=\"50\">"));
        tick(0)->click();
        QVERIFY(!edit("tth")->isEnabled());
        QCOMPARE(edit("tth")->text(), QString("50"));
        b->CSView_Timer();
        QVERIFY(b->TableMarkup().startsWith("<table>"));

        // The drop-down follows its box too; ticked with nothing chosen, the value is empty.
        tick(5)->click();
        QVERIFY(control<QComboBox>("ta")->isEnabled());
        b->CSView_Timer();
        QVERIFY(b->TableMarkup().startsWith("<table align=\"\">"));
        tick(5)->click();
        QVERIFY(!control<QComboBox>("ta")->isEnabled());
    }

    void previewIsOnlyAView()
    {
        hTableF* b = m->open<hTableF>("table");
        edit("ttn")->setText("1");
        b->CSView_Timer();
        const QString markup = b->TableMarkup();

        // An idle tick leaves the preview alone.
        QSignalSpy rewritten(preview()->document(), &QTextDocument::contentsChanged);
        b->CSView_Timer();
        b->CSView_Timer();
        QCOMPARE(rewritten.count(), 0);

        preview()->selectAll();
        QTest::keyClicks(preview(), "typed");
        QCOMPARE(preview()->toPlainText(), QString("typed"));
        click("Tcpy");
        QCOMPARE(m->window.editwindow()->documentText(), markup);
        b->CSView_Timer();
        QCOMPARE(crlf(preview()->toPlainText()), markup);
    }

    void largeCountsAreClampedAndSaidSo()
    {
        hTableF* b = m->open<hTableF>("table");
        auto* note = control<QLabel>("countNote");
        edit("ttn")->setText("5000");
        edit("tyn")->setText("2");
        b->CSView_Timer();
        QCOMPARE(b->TableMarkup().count("<td>"), kMaxTableRows * 2);
        QVERIFY(note->isVisible() && note->text().contains(QString::number(kMaxTableRows)));
        QVERIFY(!edit("ttn")->toolTip().isEmpty() && edit("tyn")->toolTip().isEmpty());

        edit("tyn")->setText("1e400");
        b->CSView_Timer();
        QCOMPARE(b->TableMarkup().count("<td>"), kMaxTableRows * kMaxTableColumns);
        QVERIFY(note->text().contains(QString::number(kMaxTableColumns)));
        // The note fits where it stands.
        QVERIFY(note->sizeHint().width() <= note->width() && note->sizeHint().height() <= note->height());

        edit("ttn")->setText("5");
        edit("tyn")->setText("5");
        b->CSView_Timer();
        QVERIFY(!note->isVisible() && edit("ttn")->toolTip().isEmpty());
    }

    void oneBuilderAndAFreshOneAfterClosing()
    {
        hTableF* b = m->open<hTableF>("table");
        QVERIFY(b && !b->parentWidget() && !b->isModal());
        QTRY_COMPARE(QApplication::focusWidget(), edit("ttn"));
        edit("ttn")->setText("4");
        tick(1)->click();
        QCOMPARE(m->open<hTableF>("table"), b);
        QCOMPARE(edit("ttn")->text(), QString("4"));

        // Both ways of closing give the focus back, and the next one starts afresh.
        for (const char* button : {"tfin", ""}) {
            QVERIFY(m->close<hTableF>(button));
            b = m->open<hTableF>("table");
            QVERIFY(edit("ttn")->text().isEmpty());
            QVERIFY(!tick(1)->isChecked() && !edit("tyh")->isEnabled());
            QCOMPARE(b->TableMarkup(), QString("<table>\r\n</table>"));
        }
    }

private:
    std::unique_ptr<SideWindowFixture> m;
};

VORNIK_WINDOW_TEST_MAIN(TableBuilderTest)
#include "test_table_builder.moc"
