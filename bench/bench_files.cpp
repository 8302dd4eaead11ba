// Load, save, the unsaved-changes test and a large wrap, on generated Japanese pages.
#include "ui/application.h"
#include "bench/own_folders.h"
#include "ui/document_box.h"
#include "app/main_window.h"
#include "app/file_commands.h"
#include "text/text_encoding.h"
#include "platform/program_folder.h"
#include "tags/markup_rows.h"
#include "ui/menu_surface.h"
#include "view/view_switches.h"
#include "document/document.h"
#include "model/line_holding.h"
#include "text/document_codec.h"
#include "text/encoding_guess.h"
#include "text/file_read.h"
#include "text/part_decode.h"
#include "text/line_breaks.h"
#include "text/line_ends.h"
#include "text/original_file.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {
constexpr qsizetype kMiB = 1 << 20;

// A hand-written-looking page of about `bytes` bytes of UTF-8, CR LF line ends, every
// character held by CP932.
QString generatePage(qsizetype bytes, bool singleLine, const char* charset)
{
    static const char16_t* const subjects[] = {u"私は", u"今日は", u"このページでは", u"先週の土曜日に",
                                               u"友人と", u"駅前の本屋で", u"管理人は"};
    static const char16_t* const objects[] = {u"ホームページ", u"日記", u"写真", u"旅行記",
                                              u"料理のレシピ", u"掲示板", u"京都の寺", u"猫の写真"};
    static const char16_t* const verbs[] = {u"を作りました。", u"について書きます。", u"を紹介します。",
                                            u"を更新しました。", u"を見に行きました。"};
    static const char16_t* const tails[] = {u"とても楽しかったです。", u"また行きたいと思います。",
                                            u"ぜひ見てください。", u"次回に続きます。"};
    const QString nl = singleLine ? QString() : QStringLiteral("\r\n");
    QString page = QStringLiteral("<html><head><meta charset=\"%1\"><title>日記</title></head><body>").arg(QLatin1String(charset)) + nl;
    quint32 seed = 1;
    auto pick = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    qsizetype utf8Size = page.toUtf8().size();
    while (utf8Size < bytes) {
        QString line = QStringLiteral("<p>") + QString::fromUtf16(subjects[pick(7)])
            + QString::fromUtf16(objects[pick(8)]) + QString::fromUtf16(verbs[pick(5)])
            + (pick(4) == 0 ? QStringLiteral("<b>HTML</b>と<a href=\"page%1.htm\">CSS</a>の").arg(pick(100)) : QString())
            + QString::fromUtf16(tails[pick(4)]) + QStringLiteral("</p>") + nl;
        utf8Size += line.toUtf8().size();
        page += line;
    }
    page += QStringLiteral("</body></html>") + nl;
    return page;
}

const MarkupRow& boldRow()
{
    return *findMarkupRow(u"fb");
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// `prepare` (untimed), then `act` and the repaint it causes, timed; the slowest and the median
// of `rounds` in milliseconds, as the user would wait for the screen.
void reportMs(const char* what, int rounds, const std::function<void()>& prepare,
              const std::function<void()>& act)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        act();
        QCoreApplication::processEvents(); // layout and paint
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    qInfo("%s: median %.1f ms, slowest %.1f ms (%d rounds)", what, ms[ms.size() / 2], ms.back(), rounds);
}

// The process's resident memory and its peak since the last resetPeak(), in MB.
std::pair<double, double> residentAndPeakMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0, hwm = 0;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:") || line.startsWith("VmHWM:"))
                (line.startsWith("VmRSS:") ? rss : hwm) = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    return {rss, hwm};
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

}

class FileBenchmark : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        platform::setProgramFolderForTesting(m_dir.path());
        for (int size : {1, 10, 50}) {
            const QString page = generatePage(size * kMiB, false, "UTF-8");
            write(QStringLiteral("utf8_%1MB.htm").arg(size), page.toUtf8());
            QString sjisPage = page;
            sjisPage.replace(QLatin1String("charset=\"UTF-8\""), QLatin1String("charset=\"Shift_JIS\""));
            const EncodedText sjis = encodeText(sjisPage, TextEncoding::Cp932);
            QCOMPARE(sjis.unencodableCount, 0);
            write(QStringLiteral("sjis_%1MB.htm").arg(size), sjis.bytes);
        }
        write(QStringLiteral("longline_10MB.htm"), generatePage(10 * kMiB, true, "UTF-8").toUtf8());
    }

    void load_data() { files(); }
    void load()
    {
        QFETCH(QString, name);
        HtmlE window;
        window.startUp(QString());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QBENCHMARK_ONCE {
            QVERIFY(window.loadFile(path(name)));
            // The first screenful is laid out and painted, as the user sees it.
            QCoreApplication::processEvents();
        }
    }

    // Where a load's and a save's time goes, stage by stage, in the order the program runs them.
    void stages_data() { largeFiles(); }
    void stages()
    {
        QFETCH(QString, name);
        HtmlE window;
        window.startUp(QString());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DocumentBox* box = window.editwindow();
        QElapsedTimer clock;
        QStringList load;
        const auto stage = [&clock](QStringList& into, const char* what) {
            into.append(QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(clock.nsecsElapsed() / 1e6, 0, 'f', 0));
            clock.restart();
        };
        clock.start();
        FileRead read = readWholeFile(path(name));
        QVERIFY(read);
        stage(load, "read");
        const QByteArray bytes = read.take();
        const TextEncoding encoding = guessEncoding(bytes);
        stage(load, "detect");
        DecodedText decoded = decodeText(bytes, encoding);
        stage(load, "decode");
        QVERIFY(foreignEncodingOf(bytes, encoding, decoded.text).isEmpty());
        stage(load, "foreign check");
        QString text = linebreak::allCrLf(decoded.text) ? std::move(decoded.text) : normaliseLineEnds(decoded.text).text;
        stage(load, "line ends");
        const LineHolding::Shape shape = LineHolding::shapeOf(text);
        stage(load, "line holding");
        box->setDocumentText(text);
        stage(load, "filling the document");
        QCoreApplication::processEvents();
        stage(load, "first layout and paint");
        qInfo("%s load: %s ms%s", qPrintable(name), qPrintable(load.join(QLatin1String(", "))),
              shape.groups ? " (grouped)" : shape.pieces ? " (pieces)" : "");

        // The same page as a large one is read: in parts, on both cores.
        QStringList inParts;
        clock.restart();
        QByteArray again = readWholeFile(path(name)).take();
        stage(inParts, "read");
        std::optional<DecodedParts> parts = decodeInParts(again);
        stage(inParts, "detect and decode in parts");
        QVERIFY(parts);
        window.document().model().setText(parts->parts, LineHolding::shapeOf(parts->parts));
        stage(inParts, "line holding and filling the document");
        qInfo("%s load in parts: %s ms", qPrintable(name), qPrintable(inParts.join(QLatin1String(", "))));

        QVERIFY(window.loadFile(path(name)));
        QStringList save;
        clock.restart();
        const QString held = box->documentText();
        stage(save, "read from the model");
        QVERIFY(window.document().isBaseline(held));
        stage(save, "compared with the baseline");
        const EncodedText encoded = encodeDocument(held, window.document().encoding(), window.document().lineEnding());
        stage(save, "encode");
        QVERIFY(bytesAsRead(window.document().originalFile(), window.document().encoding(), window.document().lineEnding()));
        stage(save, "(or the bytes as read)");
        QFile out(path(QStringLiteral("stage copy")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(encoded.bytes), encoded.bytes.size());
        QVERIFY(out.flush());
        stage(save, "write");
        QVERIFY(::fdatasync(out.handle()) == 0);
        stage(save, "sync");
        out.remove();
        qInfo("%s save: %s ms", qPrintable(name), qPrintable(save.join(QLatin1String(", "))));
    }

    void save_data() { files(); }
    void save()
    {
        QFETCH(QString, name);
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(name)));
        const QByteArray before = read(name);
        QBENCHMARK_ONCE {
            window.menus().action(QStringLiteral("SaveFiLE"))->trigger();
        }
        QVERIFY(read(name) == before);
    }

    // A second name for the page: the save writes in place, after a backup of the old text.
    void saveInPlace50MB()
    {
        const QString name = QStringLiteral("utf8_50MB.htm");
        const QString second = path(QStringLiteral("second name.htm"));
        QVERIFY(::link(QFile::encodeName(path(name)).constData(), QFile::encodeName(second).constData()) == 0);
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(name)));
        const QByteArray before = read(name);
        QBENCHMARK_ONCE {
            window.menus().action(QStringLiteral("SaveFiLE"))->trigger();
        }
        QVERIFY(read(name) == before);
        QVERIFY(QFileInfo(second).size() == before.size());
        QFile::remove(second);
    }

    void unsavedChanges_data() { files(); }
    void unsavedChanges()
    {
        QFETCH(QString, name);
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(name)));
        bool changed = true;
        QBENCHMARK_ONCE {
            changed = window.hasUnsavedChanges();
        }
        QVERIFY(!changed);
    }

    // After typing, the whole text is compared: slower, shown for information.
    void unsavedChangesAfterEdit()
    {
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(QStringLiteral("utf8_50MB.htm"))));
        window.editwindow()->replaceSelection(QStringLiteral("x"));
        bool changed = false;
        QBENCHMARK_ONCE {
            changed = window.hasUnsavedChanges();
        }
        QVERIFY(changed);
    }

    // The same length after the edit, so the test looks at the text; then the save, with the
    // memory it holds above the page's own, counted in copies of the text (two bytes a character).
    void saveEdited50MB()
    {
        const QString copy = path(QStringLiteral("edited copy.htm"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(path(QStringLiteral("utf8_50MB.htm")), copy));
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(copy));
        window.editwindow()->select(200, 201);
        window.editwindow()->replaceSelection(QStringLiteral("X"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.hasUnsavedChanges());
        const qint64 test = clock.restart();
        resetPeak();
        const auto [before, peakBefore] = residentAndPeakMB();
        window.menus().action(QStringLiteral("SaveFiLE"))->trigger();
        const qint64 save = clock.elapsed();
        const auto [after, peak] = residentAndPeakMB();
        const double copyMB = 2.0 * window.document().model().length() / kMiB;
        qInfo("edited 50 MB page: unsaved-changes test %lld ms, save %lld ms; resident %.0f MB before, peak %.0f MB "
              "(%.1f copies of the text of %.0f MB above it), %.0f MB after",
              test, save, before, peak, (peak - before) / copyMB, copyMB, after);
        QVERIFY(!window.hasUnsavedChanges());
        QFile::remove(copy);
    }

    void wrap10MB()
    {
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(QStringLiteral("utf8_10MB.htm"))));
        window.editwindow()->selectAll();
        QBENCHMARK_ONCE {
            window.runMarkup(boldRow());
        }
        QVERIFY(window.editwindow()->documentText().endsWith(QLatin1String("</b>")));
    }

    // A 50 MB Shift_JIS page holding 5 million characters that Shift_JIS cannot hold: the
    // time from Save to the question, and from the answer (character references) to the
    // written file.
    void saveUnencodable()
    {
        HtmlE window;
        window.startUp(QString());
        QVERIFY(window.loadFile(path(QStringLiteral("sjis_50MB.htm"))));
        const QString page = window.editwindow()->documentText();
        QString text;
        text.reserve(page.size() + 5000000);
        qsizetype added = 0;
        for (qsizetype i = 0; i < page.size(); ++i) {
            text += page[i];
            if (added < 5000000 && i % 3 == 2 && page[i] != u'\r') {
                text += QChar(0x00E9);
                ++added;
            }
        }
        QCOMPARE(added, 5000000);
        window.editwindow()->setDocumentText(text);
        text.clear();

        QElapsedTimer clock;
        qint64 question = -1;
        QTimer answer;
        answer.setInterval(5);
        connect(&answer, &QTimer::timeout, &answer, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            question = clock.elapsed();
            answer.stop();
            clock.restart();
            box->button(QMessageBox::Save)->click();
        });
        answer.start();
        clock.start();
        window.menus().action(QStringLiteral("SaveFiLE"))->trigger();
        const qint64 write = clock.elapsed();
        QVERIFY(question >= 0);
        qInfo("5 million unencodable characters in 50 MB: question after %lld ms, written %lld ms after the answer",
              question, write);
        QVERIFY(read(QStringLiteral("sjis_50MB.htm")).contains("&#xE9;"));
    }

    // In the largest page, shown and focused as the user works: a typed character, a wrap of
    // a word, a page down, Ctrl+End from the top, and the processor time while nothing happens;
    // plain, then with the colours and the line numbers (in the same window, so no second start
    // finds the first one's recovery copy).
    void workIn50MB()
    {
        HtmlE window;
        window.startUp(QString());
        ViewSwitches* switches = ViewSwitches::of(window.editwindow(), &window);
        const auto show = [switches](bool on) {
            ViewSettings view = switches->settings();
            view.colour = view.lineNumbers = on;
            switches->setSettings(view);
        };
        show(false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.loadFile(path(QStringLiteral("utf8_50MB.htm"))));
        DocumentBox* box = window.editwindow();
        box->setFocus();
        const auto caretAt = [box](int position) {
            QTextCursor c = box->textCursor();
            c.setPosition(position);
            box->setTextCursor(c);
        };
        for (const bool shown : {false, true}) {
            show(shown);
            qInfo("%s", shown ? "-- with colour and line numbers" : "-- plain");
            caretAt(0);
            QTest::qWait(200);
            const int middle = box->document()->characterCount() / 2;
            reportMs("typed character", 30, [&] { caretAt(middle); },
                     [box] { QTest::keyClick(box, Qt::Key_A); });
            // The typing help reads only a stretch around the caret: Enter carrying the
            // indentation over and a "/" completing a closing tag cost what a typed character does.
            box->setTypingHelp({.keepIndentation = true, .closeTags = true});
            reportMs("Enter with indentation", 30, [&] { caretAt(middle); box->replaceSelection("\r\n\t  <li>x"); },
                     [box] { QTest::keyClick(box, Qt::Key_Return); });
            reportMs("</ completed", 30, [&] { caretAt(middle); box->replaceSelection("<div><p>x<"); },
                     [box] { QTest::keyClicks(box, "/"); });
            reportMs("wrap of a word", 30,
                     [&] {
                         caretAt(middle);
                         QTextCursor c = box->textCursor();
                         c.setPosition(middle + 4, QTextCursor::KeepAnchor);
                         box->setTextCursor(c);
                     },
                     [&window] { window.runMarkup(boldRow()); });
            // A typed word is one step: one Ctrl+Z takes it back, one Ctrl+Y puts it in again.
            reportMs("Ctrl+Z of a typed word", 30, [&] { caretAt(middle); QTest::keyClicks(box, "word"); },
                     [box] { QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier); });
            reportMs("Ctrl+Y", 30,
                     [&] {
                         caretAt(middle);
                         QTest::keyClicks(box, "word");
                         QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
                     },
                     [box] { QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier); });
            reportMs("page down", 30, [&] { caretAt(middle); },
                     [box] { QTest::keyClick(box, Qt::Key_PageDown); });
            reportMs("Ctrl+End", 10, [&] { caretAt(0); },
                     [box] { QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier); });
            // The recovery copy of the edits above is taken a few seconds after the last one;
            // idle is what follows it.
            QTest::qWait(8000);
            // The program's own event loop, which sleeps until a timer or an event is due;
            // QTest::qWait would wake a hundred times a second and measure itself.
            QEventLoop idle;
            QTimer::singleShot(10000, Qt::PreciseTimer, &idle, &QEventLoop::quit);
            const double before = processCpuSeconds();
            QElapsedTimer clock;
            clock.start();
            idle.exec();
            const double used = processCpuSeconds() - before;
            const double seconds = clock.elapsed() / 1000.0;
            qInfo("idle: %.3f %% of one core over %.1f s", 100.0 * used / seconds, seconds);
        }
    }

private:
    void files()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"utf8_1MB.htm", "utf8_10MB.htm", "utf8_50MB.htm", "sjis_1MB.htm", "sjis_10MB.htm", "sjis_50MB.htm", "longline_10MB.htm"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void largeFiles()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"utf8_50MB.htm", "sjis_50MB.htm", "longline_10MB.htm"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const OwnFolders folders;
    QApplication app(argc, argv);
    prepareApplication(app);
    FileBenchmark bench;
    return QTest::qExec(&bench, argc, argv);
}
#include "bench_files.moc"
