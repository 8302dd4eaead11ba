#include "ui/caret_blink.h"
#include "ui/font_choice_dialog.h"
#include "window_test_support.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleHints>
#include <QTimer>

#include <functional>

namespace {
// Triggers the menu item and answers the dialog it opens; false when none came.
template <class Dialog>
bool answered(HtmlE& w, const char* item, std::function<void(Dialog&)> answer)
{
    auto seen = onNextModal<Dialog>(std::move(answer));
    trigger(w, item);
    return *seen;
}
using FontDialogAnswer = std::function<void(FontChoiceDialog&)>;
using ColourDialogAnswer = std::function<void(QColorDialog&)>;

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

QColor textColour(const HtmlE& w) { return w.editwindow()->palette().color(QPalette::Text); }
QColor backgroundColour(const HtmlE& w) { return w.editwindow()->palette().color(QPalette::Base); }
QAbstractButton* fontButton(const HtmlE& w) { return w.findChild<QAbstractButton*>("FontChangeIcon"); }
QAbstractButton* colourButton(const HtmlE& w) { return w.findChild<QAbstractButton*>("ColorChangeIcon"); }
}

class AppearanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    void fontDialogCancelledThenConfirmed()
    {
        StartedWindow w;
        w.editwindow()->setDocumentText("text\r\n");
        const QFont initial = w.editwindow()->font();
        const qreal buttonSize = fontButton(w)->font().pointSizeF();

        // Cancel: the dialog showed the box's font and colour, and nothing changed.
        FontChoice start;
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([&](FontChoiceDialog& d) {
            start = d.choice();
            d.reject();
        })));
        QCOMPARE(start.font.family(), initial.family());
        QCOMPARE(start.font.pointSizeF(), initial.pointSizeF());
        QCOMPARE(start.colour, textColour(w));
        QCOMPARE(w.editwindow()->font(), initial);
        QCOMPARE(fontButton(w)->text(), QString("10"));

        // Confirm 12 points bold italic underlined in red; the button shows size and face in
        // its own size and colour.
        const QString face = anyOtherFace();
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([&](FontChoiceDialog& d) {
            choose(d, face, "12", true, true, true, Qt::red);
        })));
        const QFont shown = w.editwindow()->font();
        QCOMPARE(shown.family(), face);
        QCOMPARE(shown.pointSizeF(), 12.0);
        QVERIFY(shown.bold() && shown.italic() && shown.underline() && !shown.strikeOut());
        QCOMPARE(textColour(w), QColor(Qt::red));
        QCOMPARE(backgroundColour(w), QColor(Qt::white));
        QCOMPARE(w.editwindow()->documentText(), QString("text\r\n"));
        const QFont onButton = fontButton(w)->font();
        QCOMPARE(fontButton(w)->text(), QString("12"));
        QVERIFY(onButton.family() == face && onButton.bold() && onButton.italic());
        QCOMPARE(onButton.pointSizeF(), buttonSize);
        QVERIFY(fontButton(w)->palette().color(QPalette::ButtonText) != QColor(Qt::red));

        // The next dialog starts from that choice; a half-point size is kept as it is.
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([&](FontChoiceDialog& d) {
            start = d.choice();
            choose(d, face, "10.5", false, false, false, Qt::blue);
        })));
        QCOMPARE(start.font.pointSizeF(), 12.0);
        QVERIFY(start.font.bold() && start.font.italic());
        QCOMPARE(start.colour, QColor(Qt::red));
        QCOMPARE(w.editwindow()->font().pointSizeF(), 10.5);
        QCOMPARE(textColour(w), QColor(Qt::blue));
        QCOMPARE(fontButton(w)->text(), QString("10.5"));
    }

    void fontDialogRefusesUnusableSizes()
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
    }

    void fixedFontKeepsTheNormalFontForTheDialog()
    {
        StartedWindow w;
        const QString face = anyOtherFace();
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([&](FontChoiceDialog& d) {
            choose(d, face, "14", true, false, false, Qt::darkRed);
        })));
        const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        for (int again = 0; again < 2; ++again) {
            trigger(w, "FixedFontChange");
            QCOMPARE(w.editwindow()->font().family(), fixed);
            QCOMPARE(textColour(w), QColor(Qt::darkRed));
        }

        // The dialog offers the normal font, not the fixed one; Cancel keeps the fixed display,
        // OK brings the normal font back.
        FontChoice start;
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([&](FontChoiceDialog& d) {
            start = d.choice();
            d.reject();
        })));
        QCOMPARE(start.font.family(), face);
        QCOMPARE(start.font.pointSizeF(), 14.0);
        QCOMPARE(w.editwindow()->font().family(), fixed);
        QVERIFY(answered(w, "NormalFontChange", FontDialogAnswer([](FontChoiceDialog& d) { d.accept(); })));
        QCOMPARE(w.editwindow()->font().family(), face);
        QVERIFY(w.editwindow()->font().bold());
    }

    void backgroundColourDialog()
    {
        StartedWindow w;
        // Cancel keeps white; a chosen background leaves the text colour alone, and the next
        // dialog starts from it.
        const QColor chosen(200, 40, 40);
        QColor offered;
        for (bool accept : {false, true, false}) {
            QVERIFY(answered(w, "ColorChange", ColourDialogAnswer([&](QColorDialog& c) {
                offered = c.currentColor();
                c.setCurrentColor(accept ? chosen : QColor(Qt::cyan));
                accept ? c.accept() : c.reject();
            })));
        }
        QCOMPARE(offered, chosen);
        QCOMPARE(backgroundColour(w), chosen);
        QCOMPARE(textColour(w), QColor(Qt::black));

        // The colour button's face shows the background: in its palette, and as drawn (a
        // style may shade it, but it must not ignore it).
        QCOMPARE(colourButton(w)->palette().color(QPalette::Button), chosen);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage shot = colourButton(w)->grab().toImage();
        const QColor middle = shot.pixelColor(shot.width() / 2, shot.height() / 2);
        QVERIFY2(middle.red() > middle.green() + 60 && middle.red() > middle.blue() + 60,
                 qPrintable(middle.name()));
    }


    // A caret left alone stops blinking, shown, and the next key makes it blink again.
    void caretsRestWithoutInput()
    {
        QPlainTextEdit edit;
        edit.show();
        edit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        edit.setFocus();
        const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
        QObject* control = nullptr; // the edit's internal text control, which owns the blink
        for (QObject* child : edit.children()) {
            if (child->inherits("QWidgetTextControl"))
                control = child;
        }
        QVERIFY(control);
        const auto blinks = [control] {
            return !QAbstractEventDispatcher::instance()->registeredTimers(control).isEmpty();
        };
        QTRY_VERIFY(blinks());
        CaretBlinkTimeout timeout(*qApp, 200);
        QTRY_VERIFY(!blinks());
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), flashTime);
        QVERIFY(blinks());
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(AppearanceTest)
#include "test_appearance.moc"
