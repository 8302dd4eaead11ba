#include "app/application.h"
#include "app/document_box.h"
#include "app/font_choice_dialog.h"
#include "app/main_window.h"
#include "window_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs `answer` on the next modal dialog of that type, from a timer, as a user would act on
// it while the command waits in the dialog. The flag says whether the dialog came.
template <class Dialog>
std::shared_ptr<bool> onNextDialog(std::function<void(Dialog&)> answer)
{
    auto seen = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        *seen = true;
        timer->stop();
        timer->deleteLater();
        answer(*dialog);
    });
    timer->start();
    QTimer::singleShot(10000, timer, [timer] { timer->deleteLater(); });
    return seen;
}

struct DialogStart {
    QString face;
    QString size;
    bool bold = false;
    bool italic = false;
    QColor colour;
};

DialogStart readStart(FontChoiceDialog& d)
{
    return {d.findChild<QFontComboBox*>("fontFace")->currentText(),
            d.findChild<QComboBox*>("fontSize")->currentText(),
            d.findChild<QCheckBox*>("fontBold")->isChecked(),
            d.findChild<QCheckBox*>("fontItalic")->isChecked(), d.choice().colour};
}

// Fills in the dialog as a user would and confirms it.
void choose(FontChoiceDialog& d, const QString& face, const QString& size, bool bold, bool italic,
            bool underline, const QColor& colour)
{
    d.findChild<QFontComboBox*>("fontFace")->setCurrentFont(QFont(face));
    d.findChild<QComboBox*>("fontSize")->setEditText(size);
    d.findChild<QCheckBox*>("fontBold")->setChecked(bold);
    d.findChild<QCheckBox*>("fontItalic")->setChecked(italic);
    d.findChild<QCheckBox*>("fontUnderline")->setChecked(underline);
    d.setTextColour(colour);
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

QString anyOtherFace()
{
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family))
            return family;
    return QString();
}

QColor textColour(const HtmlE& w)
{
    return w.editwindow()->palette().color(QPalette::Text);
}
QColor backgroundColour(const HtmlE& w)
{
    return w.editwindow()->palette().color(QPalette::Base);
}
}

class AppearanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    void fontDialogCancelledThenConfirmed()
    {
        HtmlE w;
        w.startUp(QString());
        w.editwindow()->setDocumentText("text\r\n");
        const QFont initial = w.editwindow()->font();
        QCOMPARE(initial.pointSizeF(), 10.2);

        // Cancel: the dialog showed the box's font and colour, and nothing changed.
        DialogStart start;
        auto seen = onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) {
            start = readStart(d);
            d.reject();
        });
        trigger(w, "NormalFontChange");
        QVERIFY(*seen);
        QCOMPARE(start.face, QString("ＭＳ Ｐゴシック"));
        QCOMPARE(start.size, QString("10.2"));
        QVERIFY(!start.bold && !start.italic);
        QCOMPARE(start.colour, QColor(Qt::black));
        QCOMPARE(w.editwindow()->font(), initial);
        QCOMPARE(textColour(w), QColor(Qt::black));

        // Confirm 12 points bold italic underlined in red.
        const QString face = anyOtherFace();
        seen = onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) {
            choose(d, face, "12", true, true, true, Qt::red);
        });
        trigger(w, "NormalFontChange");
        QVERIFY(*seen);
        const QFont shown = w.editwindow()->font();
        QCOMPARE(shown.family(), face);
        QCOMPARE(shown.pointSizeF(), 12.0);
        QVERIFY(shown.bold() && shown.italic() && shown.underline() && !shown.strikeOut());
        QCOMPARE(textColour(w), QColor(Qt::red));
        QCOMPARE(backgroundColour(w), QColor(Qt::white));
        QCOMPARE(w.editwindow()->documentText(), QString("text\r\n"));

        // The next dialog starts from that choice; a half-point size is kept as it is.
        seen = onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) {
            start = readStart(d);
            choose(d, face, "10.5", false, false, false, Qt::blue);
        });
        trigger(w, "NormalFontChange");
        QVERIFY(*seen);
        QCOMPARE(start.size, QString("12"));
        QVERIFY(start.bold && start.italic);
        QCOMPARE(start.colour, QColor(Qt::red));
        QCOMPARE(w.editwindow()->font().pointSizeF(), 10.5);
        QCOMPARE(textColour(w), QColor(Qt::blue));
    }

    void fontDialogSizeAndColourControls()
    {
        FontChoiceDialog d;
        d.setChoice({QFont("Serif", 11), Qt::black});
        auto* size = d.findChild<QComboBox*>("fontSize");
        QPushButton* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        // No usable size, no OK: a bad entry can never reach the box.
        for (const char* bad : {"", "0", "600"}) {
            size->setEditText(bad);
            QVERIFY2(!ok->isEnabled(), bad);
        }
        size->setEditText("10.5");
        QVERIFY(ok->isEnabled());
        QCOMPARE(d.choice().font.pointSizeF(), 10.5);

        // The colour button asks through the colour dialog, starting from the current colour;
        // its Cancel keeps the colour.
        d.show();
        QColor offered;
        auto seen = onNextDialog<QColorDialog>([&](QColorDialog& c) {
            offered = c.currentColor();
            c.setCurrentColor(QColor(0, 128, 0));
            c.accept();
        });
        d.findChild<QPushButton*>("fontColour")->click();
        QVERIFY(*seen);
        QCOMPARE(offered, QColor(Qt::black));
        QCOMPARE(d.choice().colour, QColor(0, 128, 0));
        seen = onNextDialog<QColorDialog>([](QColorDialog& c) {
            c.setCurrentColor(Qt::yellow);
            c.reject();
        });
        d.findChild<QPushButton*>("fontColour")->click();
        QVERIFY(*seen);
        QCOMPARE(d.choice().colour, QColor(0, 128, 0));
    }

    void fixedFontKeepsTheNormalFontForTheDialog()
    {
        HtmlE w;
        w.startUp(QString());
        const QString face = anyOtherFace();
        onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) { choose(d, face, "14", true, false, false, Qt::darkRed); });
        trigger(w, "NormalFontChange");

        trigger(w, "FixedFontChange");
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        QCOMPARE(w.editwindow()->font().family(), fixed.family());
        QCOMPARE(textColour(w), QColor(Qt::darkRed));
        trigger(w, "FixedFontChange"); // again: nothing more happens
        QCOMPARE(w.editwindow()->font().family(), fixed.family());

        // The dialog offers the normal font, not the fixed one; Cancel keeps the fixed display.
        DialogStart start;
        auto seen = onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) {
            start = readStart(d);
            d.reject();
        });
        trigger(w, "NormalFontChange");
        QVERIFY(*seen);
        QCOMPARE(start.face, face);
        QCOMPARE(start.size, QString("14"));
        QVERIFY(start.bold);
        QCOMPARE(w.editwindow()->font().family(), fixed.family());

        // Confirming brings the normal font back.
        seen = onNextDialog<FontChoiceDialog>([](FontChoiceDialog& d) { d.accept(); });
        trigger(w, "NormalFontChange");
        QVERIFY(*seen);
        QCOMPARE(w.editwindow()->font().family(), face);
        QCOMPARE(w.editwindow()->font().pointSizeF(), 14.0);
        QVERIFY(w.editwindow()->font().bold());
    }

    void backgroundColourDialog()
    {
        HtmlE w;
        w.startUp(QString());
        QColor offered;
        auto seen = onNextDialog<QColorDialog>([&](QColorDialog& c) {
            offered = c.currentColor();
            c.setCurrentColor(Qt::cyan);
            c.reject();
        });
        trigger(w, "ColorChange");
        QVERIFY(*seen);
        QCOMPARE(offered, QColor(Qt::white));
        QCOMPARE(backgroundColour(w), QColor(Qt::white));

        // A dark background leaves the text colour alone; the next dialog starts from it.
        const QColor dark(20, 30, 40);
        seen = onNextDialog<QColorDialog>([&](QColorDialog& c) {
            c.setCurrentColor(dark);
            c.accept();
        });
        trigger(w, "ColorChange");
        QVERIFY(*seen);
        QCOMPARE(backgroundColour(w), dark);
        QCOMPARE(textColour(w), QColor(Qt::black));
        seen = onNextDialog<QColorDialog>([&](QColorDialog& c) {
            offered = c.currentColor();
            c.reject();
        });
        trigger(w, "ColorChange");
        QCOMPARE(offered, dark);
    }

    void shortcutsReachTheCommandsFromTheBox()
    {
        HtmlE w;
        w.startUp(QString());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.editwindow()->setFocus();
        w.editwindow()->setDocumentText("keep this line");
        placeCaret(w, 0);

        // Ctrl+K is also the box's own "delete to the end of the line"; the command wins.
        QTest::keyClick(w.editwindow(), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(w.editwindow()->documentText(), QString("keep this line"));
        QCOMPARE(w.editwindow()->font().family(),
                 QFontDatabase::systemFont(QFontDatabase::FixedFont).family());

        auto seen = onNextDialog<FontChoiceDialog>([](FontChoiceDialog& d) { d.reject(); });
        QTest::keyClick(w.editwindow(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(*seen);
        w.activateWindow(); // the offscreen platform has no window manager to do it
        QVERIFY(QTest::qWaitForWindowActive(&w));
        seen = onNextDialog<QColorDialog>([](QColorDialog& c) { c.reject(); });
        QTest::keyClick(w.editwindow(), Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY(*seen);
        QCOMPARE(w.editwindow()->documentText(), QString("keep this line"));
    }

    void everyStartIsTheInitialLook()
    {
        {
            HtmlE w;
            w.startUp(QString());
            onNextDialog<FontChoiceDialog>([](FontChoiceDialog& d) { choose(d, anyOtherFace(), "20", true, true, true, Qt::green); });
            trigger(w, "NormalFontChange");
            onNextDialog<QColorDialog>([](QColorDialog& c) { c.setCurrentColor(Qt::black); c.accept(); });
            trigger(w, "ColorChange");
            trigger(w, "FixedFontChange");
            w.close();
        }
        HtmlE w;
        w.startUp(QString());
        QCOMPARE(w.editwindow()->font(), initialDocumentFont());
        QCOMPARE(textColour(w), QColor(Qt::black));
        QCOMPARE(backgroundColour(w), QColor(Qt::white));
        if (auto* button = w.findChild<QAbstractButton*>("FontChangeIcon"))
            QCOMPARE(button->text(), QString("10"));
        if (auto* button = w.findChild<QAbstractButton*>("ColorChangeIcon"))
            QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));
    }

    void buttonsMirrorTheChoices()
    {
        HtmlE w;
        w.startUp(QString());
        auto* fontButton = w.findChild<QAbstractButton*>("FontChangeIcon");
        auto* colourButton = w.findChild<QAbstractButton*>("ColorChangeIcon");
        if (!fontButton || !colourButton)
            QSKIP("the toolbar buttons are not built in this tree");
        QCOMPARE(fontButton->text(), QString("10"));
        const qreal ownSize = fontButton->font().pointSizeF();

        onNextDialog<FontChoiceDialog>([](FontChoiceDialog& d) { d.reject(); });
        trigger(w, "NormalFontChange");
        QCOMPARE(fontButton->text(), QString("10"));

        const QString face = anyOtherFace();
        onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) { choose(d, face, "12", true, true, false, Qt::red); });
        trigger(w, "NormalFontChange");
        QCOMPARE(fontButton->text(), QString("12"));
        QCOMPARE(fontButton->font().family(), face);
        QVERIFY(fontButton->font().bold() && fontButton->font().italic());
        QCOMPARE(fontButton->font().pointSizeF(), ownSize);
        QVERIFY(fontButton->palette().color(QPalette::ButtonText) != QColor(Qt::red));

        onNextDialog<FontChoiceDialog>([&](FontChoiceDialog& d) { choose(d, face, "10.5", false, false, false, Qt::black); });
        trigger(w, "NormalFontChange");
        QCOMPARE(fontButton->text(), QString("10.5"));

        // The colour button's face shows the background: in its palette, and as drawn (a
        // style may shade it, but it must not ignore it).
        const QColor chosen(200, 40, 40);
        onNextDialog<QColorDialog>([&](QColorDialog& c) { c.setCurrentColor(chosen); c.accept(); });
        trigger(w, "ColorChange");
        QCOMPARE(colourButton->palette().color(QPalette::Button), chosen);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage shot = colourButton->grab().toImage();
        const QColor middle = shot.pixelColor(shot.width() / 2, shot.height() / 2);
        QVERIFY2(middle.red() > middle.green() + 60 && middle.red() > middle.blue() + 60,
                 qPrintable(middle.name()));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    AppearanceTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_appearance.moc"
