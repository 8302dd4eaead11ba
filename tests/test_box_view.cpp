#include "window_test_support.h"

#include "html/html_scan.h"
#include "view/box_colour.h"
#include "view/line_gutter.h"
#include "view/view_switches.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

using html::Role;
Q_DECLARE_METATYPE(html::Role)

namespace {
// The page's own lines, CR LF between them.
QString page(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}
}

class BoxViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<StartedWindow> m_window;
    DocumentBox* box() const { return m_window->editwindow(); }
    BoxColour* colour() const { return box()->findChild<BoxColour*>(QStringLiteral("boxColour")); }
    LineGutter* gutter() const { return box()->findChild<LineGutter*>(QStringLiteral("lineGutter")); }
    ViewSwitches* switches() const { return ViewSwitches::of(box(), m_window.get()); }

    void show(qsizetype position)
    {
        box()->select(position, position);
        box()->viewport()->repaint(); // colours what is shown, as any paint does
    }
    // The colour shown at a text position, as the formats of its block's layout give it.
    QColor colourAt(qsizetype position)
    {
        show(position);
        const int at = box()->model().toBox(position);
        const QTextBlock block = box()->document()->findBlock(at);
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (at - block.position() >= range.start && at - block.position() < range.start + range.length)
                return range.format.foreground().color();
        }
        return QColor(); // no role: the font colour
    }
    QColor colourOf(Role role) const
    {
        if (role == Role::Plain)
            return QColor();
        const html::Rgb c = colour()->palette()[int(role)];
        return QColor(c.red, c.green, c.blue);
    }
    void setSwitch(bool ViewSettings::*value, bool on)
    {
        ViewSettings s = switches()->settings();
        s.*value = on;
        switches()->setSettings(s);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        m_window = std::make_unique<StartedWindow>(Shown::Active);
    }
    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
    }

    // The box's scroll bar is painted again when its slider or its ends change, not when a
    // large page grows by a line the slider cannot show.
    void theScrollBarPaintsWhatChanges()
    {
        QScrollBar* bar = box()->verticalScrollBar();
        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } count;
        bar->installEventFilter(&count);
        const auto paintsAfter = [&](const std::function<void()>& change) {
            QCoreApplication::processEvents();
            count.paints = 0;
            change();
            QCoreApplication::processEvents();
            return count.paints;
        };
        QCOMPARE(paintsAfter([&] { bar->setRange(0, 100000); }), 1);
        QCOMPARE(paintsAfter([&] { bar->setMaximum(100001); }), 0);
        QCOMPARE(paintsAfter([&] { bar->setValue(50000); }), 1);
        QCOMPARE(paintsAfter([&] { bar->setValue(100001); }), 1); // the far end's arrow
        QCOMPARE(paintsAfter([&] { bar->setRange(0, 0); }), 1);
    }

    void colourRolesOnScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find"); // the role is read at the first character found
        QTest::addColumn<Role>("role");
        const QString tag = QStringLiteral("<p class=\"x\">text &amp; more</p>");
        QTest::newRow("element") << tag << "p " << Role::ElementName;
        QTest::newRow("attribute") << tag << "class" << Role::AttributeName;
        QTest::newRow("value") << tag << "\"x\"" << Role::AttributeValue;
        QTest::newRow("text") << tag << "text" << Role::Plain;
        QTest::newRow("reference") << tag << "amp" << Role::CharacterReference;
        QTest::newRow("tag over lines") << page({"<a", "  href=\"y\">z</a>"}) << "href" << Role::AttributeName;
        QTest::newRow("comment over lines") << page({"<!--", "<b>", "-->", "<i>"}) << "b>" << Role::Comment;
        QTest::newRow("after a comment") << page({"<!--", "<b>", "-->", "<i>"}) << "i>" << Role::ElementName;
        QTest::newRow("server block") << page({"<?php echo 1;", "?>", "<em>"}) << "echo" << Role::ServerSide;
        QTest::newRow("after a server block") << page({"<?php echo 1;", "?>", "<em>"}) << "em" << Role::ElementName;
        QTest::newRow("css property") << page({"<style>", "p { color: red }", "</style>"}) << "color" << Role::CssProperty;
        // A line held in pieces: the value goes on across them.
        const QString longValue = "<p title=\"" + QString(150000, QLatin1Char('v')) + "!\">end</p>";
        QTest::newRow("piece") << longValue << "!" << Role::AttributeValue;
        QTest::newRow("after pieces") << longValue << "end" << Role::Plain;
        // Many lines, held a few lines a block.
        QStringList lines{QStringLiteral("<!--")};
        for (int i = 0; i < 25000; ++i)
            lines << QStringLiteral("<b>%1</b>").arg(i);
        lines << QStringLiteral("-->") << QStringLiteral("<tail>");
        QTest::newRow("grouped comment") << page(lines) << "24000" << Role::Comment;
        QTest::newRow("grouped after") << page(lines) << "tail" << Role::ElementName;
    }
    void colourRolesOnScreen()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(Role, role);
        box()->setDocumentText(text);
        const qsizetype at = box()->model().text(0, box()->model().length(), u"\n").indexOf(find);
        QVERIFY(at >= 0);
        // Far down a page, a guess is shown first and put right in spare moments.
        QTRY_COMPARE(colourAt(at), colourOf(role));
    }

    // An edit at the top changes the state of every later line: what is shown follows it,
    // and the undo of it brings the colours back. Colouring itself is no edit.
    void editsRecolourLaterLinesAndColouringIsNoEdit()
    {
        QStringList lines;
        for (int i = 0; i < 30000; ++i)
            lines << QStringLiteral("<b>line %1</b>").arg(i);
        box()->setDocumentText(page(lines));
        const qsizetype far = box()->model().lineStart(20000) + 1;
        const qsizetype near = box()->model().lineStart(5) + 1;
        QCOMPARE(colourAt(far), colourOf(Role::ElementName));
        QCOMPARE(colourAt(near), colourOf(Role::ElementName));
        const int steps = box()->document()->availableUndoSteps();
        QCOMPARE(steps, 0);

        box()->select(0, 0);
        box()->replaceSelection(QStringLiteral("<!--"));
        QTest::qWait(10);
        QCOMPARE(colourAt(near), colourOf(Role::Comment));
        // Far down, a state not worked out yet is put right in spare moments.
        QTRY_COMPARE(colourAt(far + 4), colourOf(Role::Comment));
        box()->undoStep();
        QCOMPARE(colourAt(near), colourOf(Role::ElementName));
        QTRY_COMPARE(colourAt(far), colourOf(Role::ElementName));

        // A keystroke in a coloured block has that block laid out and painted again, not the box.
        show(near);
        QTest::qWait(10);
        bool wholeBox = false;
        const auto watch = connect(box()->document()->documentLayout(), &QAbstractTextDocumentLayout::update, this,
                                   [&wholeBox] { wholeBox = true; });
        box()->replaceSelection(QStringLiteral("x"));
        box()->viewport()->repaint();
        QTest::qWait(10);
        disconnect(watch);
        QVERIFY(!wholeBox);
        QCOMPARE(colourAt(near + 1), colourOf(Role::ElementName));
        box()->undoStep();
        // Wrapped, one that makes the line wrap once more moves the lines after it down.
        setSwitch(&ViewSettings::wrap, true);
        const QTextBlock typed = box()->document()->findBlock(int(near));
        const int typedLines = typed.layout()->lineCount();
        const qreal nextTop = box()->shownGeometry(typed.next()).top();
        box()->replaceSelection(QString(400, u'x'));
        QTest::qWait(10);
        QVERIFY(typed.layout()->lineCount() > typedLines);
        QVERIFY(box()->shownGeometry(typed.next()).top() > nextTop);
        box()->undoStep();
        setSwitch(&ViewSettings::wrap, false);

        // Scrolling, the background, the switch and the spare-moment work change nothing else.
        const int stepsNow = box()->document()->availableUndoSteps();
        const bool modified = box()->document()->isModified();
        const QString text = box()->model().text();
        QPalette dark = box()->palette();
        dark.setColor(QPalette::Base, Qt::black);
        dark.setColor(QPalette::Text, Qt::white);
        box()->setPalette(dark);
        QCOMPARE(colourAt(near), colourOf(Role::ElementName));
        QVERIFY(colourOf(Role::ElementName).lightness() > 100);
        setSwitch(&ViewSettings::colour, false);
        QCOMPARE(colourAt(near), QColor());
        setSwitch(&ViewSettings::colour, true);
        QCOMPARE(colourAt(near), colourOf(Role::ElementName));
        QTest::qWait(1500);
        show(box()->model().length());
        QCOMPARE(box()->model().strayChanges(), 0);
        QCOMPARE(box()->document()->availableUndoSteps(), stepsNow);
        QCOMPARE(box()->document()->isModified(), modified);
        QCOMPARE(box()->model().text(), text);
    }

    // An input method's pre-edit is drawn as it asks, inside a coloured run: its underline and
    // the clause being converted keep their formats, and the colours on either side stay on
    // their characters, while it is shown and once it goes.
    void preeditKeepsItsFormatsAmongTheColours()
    {
        const QString text = QStringLiteral("<p class=\"xy\">ab</p>");
        box()->setDocumentText(text);
        box()->setFocus();
        const int caret = int(text.indexOf(u"y\""));
        box()->select(caret, caret);
        const auto formatAt = [this](int at) { // at a position of the layout, pre-edit and all
            QTextCharFormat format;
            for (const QTextLayout::FormatRange& range : box()->document()->firstBlock().layout()->formats()) {
                if (at >= range.start && at < range.start + range.length)
                    format.merge(range.format);
            }
            return format;
        };
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        QTextCharFormat clause;
        clause.setBackground(Qt::blue);
        clause.setForeground(Qt::white);
        const auto compose = [this](const QString& preedit, const QList<QInputMethodEvent::Attribute>& formats) {
            QInputMethodEvent e(preedit, formats);
            QCoreApplication::sendEvent(box(), &e);
            box()->viewport()->repaint();
        };
        compose(QStringLiteral("かんじ"), {{QInputMethodEvent::TextFormat, 0, 1, underline},
                                           {QInputMethodEvent::TextFormat, 1, 2, clause}});
        QCOMPARE(box()->document()->firstBlock().layout()->preeditAreaText(), QStringLiteral("かんじ"));
        QCOMPARE(formatAt(caret - 1).foreground().color(), colourOf(Role::AttributeValue)); // x
        QCOMPARE(formatAt(caret).underlineStyle(), QTextCharFormat::SingleUnderline);
        QVERIFY(!formatAt(caret).hasProperty(QTextFormat::ForegroundBrush));
        QCOMPARE(formatAt(caret + 1).background().color(), QColor(Qt::blue));
        QCOMPARE(formatAt(caret + 2).foreground().color(), QColor(Qt::white));
        QCOMPARE(formatAt(caret + 3).foreground().color(), colourOf(Role::AttributeValue)); // y
        QCOMPARE(formatAt(int(text.indexOf(u"p>")) + 3).foreground().color(), colourOf(Role::ElementName));
        QVERIFY(!formatAt(int(text.indexOf(u"ab")) + 3).hasProperty(QTextFormat::ForegroundBrush));

        compose(QString(), {});
        QVERIFY(box()->document()->firstBlock().layout()->preeditAreaText().isEmpty());
        QCOMPARE(formatAt(caret).foreground().color(), colourOf(Role::AttributeValue));
        QVERIFY(!formatAt(caret).hasProperty(QTextFormat::TextUnderlineStyle));
        QCOMPARE(formatAt(int(text.indexOf(u"p>"))).foreground().color(), colourOf(Role::ElementName));
        QCOMPARE(box()->model().text(), text);
        QCOMPARE(box()->model().strayChanges(), 0);
    }

    void lineNumbersOfPiecesAndGroups()
    {
        const QRect place = box()->geometry();
        setSwitch(&ViewSettings::lineNumbers, true);
        QVERIFY(gutter()->isVisible());
        QCOMPARE(box()->geometry(), place); // the text moves over; the box stays
        QVERIFY(box()->viewport()->x() >= gutter()->width());
        const auto numbers = [this] {
            box()->viewport()->repaint();
            QList<int> lines;
            for (const LineGutter::Label& label : gutter()->labels())
                lines << label.line;
            return lines;
        };
        const auto consecutive = [](const QList<int>& lines, int from) {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines[i] != from + i)
                    return false;
            }
            return !lines.isEmpty();
        };

        // A long line in pieces is numbered once, on its first piece.
        box()->setDocumentText(page({"first", QString(250000, QLatin1Char('x')), "third", "fourth"}));
        QVERIFY(box()->model().hasPieces());
        show(0);
        QCOMPARE(numbers(), QList<int>({1, 2}));
        show(box()->model().length()); // the last lines at the bottom, pieces of the long one above
        QList<int> shown = numbers();
        QVERIFY(!shown.contains(2));
        QVERIFY(shown.contains(3) && shown.contains(4));
        const int narrow = gutter()->width(); // two digits

        // Lines held a few a block are numbered each where it starts.
        QStringList lines;
        for (int i = 1; i <= 30000; ++i)
            lines << QStringLiteral("line %1").arg(i);
        box()->setDocumentText(page(lines));
        show(0);
        QVERIFY(consecutive(numbers(), 1));
        show(box()->model().lineStart(23456));
        shown = numbers();
        QVERIFY(shown.contains(23456));
        QVERIFY(consecutive(shown, shown.first()));
        const QList<LineGutter::Label> labels = gutter()->labels();
        for (qsizetype i = 1; i < labels.size(); ++i) // each line on a row of its own
            QVERIFY(labels[i].top > labels[i - 1].top);
        // The width follows the count of lines, also when lines are joined inside a block.
        TextModel& model = box()->model();
        model.replace(model.lineStart(101) - 1, model.length(), u""); // 100 lines, still grouped
        QTRY_VERIFY(gutter()->width() > narrow);
        const int blocks = box()->document()->blockCount();
        model.replace(model.lineStart(2) - 1, model.lineStart(2), u""); // 99
        QCOMPARE(box()->document()->blockCount(), blocks);
        QTRY_COMPARE(gutter()->width(), narrow);

        setSwitch(&ViewSettings::lineNumbers, false);
        QVERIFY(!gutter()->isVisible());
        QCOMPARE(box()->viewport()->x(), box()->contentsRect().x());
        QCOMPARE(box()->geometry(), place);
    }

    void partnerTagAndCtrlM_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("partner"); // -1: none
        const QString nested = QStringLiteral("<div>a<div>b</div>c</div>");
        QTest::newRow("outer start") << nested << 0 << 19;
        QTest::newRow("outer end") << nested << 22 << 0;
        QTest::newRow("inner end") << nested << 14 << 6;
        QTest::newRow("void") << QStringLiteral("<div><br></div>") << 6 << -1;
        QTest::newRow("self-closed") << QStringLiteral("<p><x/></p>") << 4 << -1;
        QTest::newRow("unclosed") << QStringLiteral("<ul><li>a</ul>") << 5 << -1;
        QTest::newRow("past a comment") << QStringLiteral("<ul><!-- </ul> --></ul>") << 1 << 18;
        QTest::newRow("over lines") << page({"<table>", "<tr>", "</table>"}) << 2 << 13;
        QTest::newRow("in text") << QStringLiteral("<b>bold</b>") << 5 << -1;
    }
    void partnerTagAndCtrlM()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, partner);
        box()->setDocumentText(text);
        box()->setFocus();
        box()->select(caret, caret);
        QTRY_COMPARE(box()->extraSelections().size(), partner < 0 ? 0 : 2);
        QTest::keyClick(box(), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(box()->caret(), partner < 0 ? caret : partner);
        QCOMPARE(box()->model().text(), text); // the key types nothing
        QVERIFY(!box()->model().isUndoAvailable());
    }

    // The marks go over the text at tabs, full-width spaces and line ends, and not where a row
    // ends at the page's own U+2029, which is no line end. They never go into the text.
    void blankMarksWhereTheBlanksAre()
    {
        const QString text = page({"a\tb\u3000c", "d\u2029e", "f"});
        box()->setDocumentText(text);
        const auto shot = [this](bool on) {
            setSwitch(&ViewSettings::showBlanks, on);
            return box()->viewport()->grab().toImage();
        };
        const QImage plain = shot(false);
        const QImage marked = shot(true);
        // Whether anything was painted on the row of that text position.
        const auto markedRow = [&](qsizetype position) {
            QTextCursor at(box()->document());
            at.setPosition(box()->model().toBox(position));
            const QRect row = box()->cursorRect(at);
            for (int y = qMax(0, row.top()); y <= row.bottom() && y < marked.height(); ++y) {
                for (int x = 0; x < marked.width(); ++x) {
                    if (marked.pixel(x, y) != plain.pixel(x, y))
                        return true;
                }
            }
            return false;
        };
        const QString lf = box()->model().text(0, box()->model().length(), u"\n");
        QVERIFY(markedRow(lf.indexOf("a"))); // a tab, a full-width space, a line end
        QVERIFY(!markedRow(lf.indexOf("d"))); // ends at U+2029
        QVERIFY(markedRow(lf.indexOf("e"))); // a line end alone
        QVERIFY(!markedRow(lf.indexOf("f"))); // the last line has no end
        setSwitch(&ViewSettings::showBlanks, false);
        QCOMPARE(box()->model().text(), text);
        QVERIFY(!box()->model().isUndoAvailable());
        QCOMPARE(box()->model().strayChanges(), 0);
    }
};

QTEST_MAIN(BoxViewTest)
#include "test_box_view.moc"
