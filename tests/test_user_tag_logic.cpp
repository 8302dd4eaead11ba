#include "companion/placement.h"
#include "usertags/companion_watch.h"
#include "usertags/endpoint_protocol.h"

#include <QTest>

using namespace endpoint;

class UserTagLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framesArriveInPieces()
    {
        const QByteArray stream = setTextFrame("一つ目") + setTextFrame(QString()) + enterFrame()
            + setTextFrame(QString(1000, u'x'));
        FrameDecoder decoder;
        QList<Frame> frames;
        for (char c : stream) {
            decoder.feed(QByteArrayView(&c, 1));
            while (auto frame = decoder.next())
                frames.append(*frame);
        }
        QVERIFY(!decoder.failed() && decoder.pending() == 0);
        QCOMPARE(frames.size(), 4);
        QCOMPARE(frames[0].kind, kSetText);
        QCOMPARE(frames[0].text, QString("一つ目"));
        QCOMPARE(frames[1].text, QString());
        QCOMPARE(frames[2].kind, kEnter);
        QCOMPARE(frames[3].text, QString(1000, u'x'));
    }

    void exactlyOneMiBIsAccepted()
    {
        FrameDecoder decoder;
        decoder.feed(setTextFrame(QString(kMaxPayload, u'a')));
        const auto frame = decoder.next();
        QVERIFY(frame && frame->text.size() == kMaxPayload);
    }

    void watchWaitsForTheWindowToAppear()
    {
        CompanionWatch watch;
        QVERIFY(!watch.poll(false, true, 0)); // idle: nothing to end
        watch.started(42, 1000);
        // Not yet shown, still starting: wait.
        QVERIFY(!watch.poll(false, true, 1500));
        QVERIFY(!watch.poll(false, true, 10999));
        QVERIFY(watch.poll(false, true, 11000)); // ten seconds without a window
        QVERIFY(!watch.active());

        watch.started(42, 0);
        QVERIFY(!watch.poll(true, true, 500));
        QVERIFY(!watch.poll(true, true, 60000)); // open for a long time
        QVERIFY(watch.poll(false, true, 60500)); // seen, now gone: ends at once
        QVERIFY(!watch.poll(false, true, 61000)); // and once only

        watch.started(42, 0);
        QVERIFY(watch.poll(false, false, 300)); // ended before its window was seen

        // No window lookup: the process decides.
        watch.started(42, 0);
        QVERIFY(!watch.poll(std::nullopt, true, 20000));
        QVERIFY(watch.poll(std::nullopt, false, 20500));
    }

    void secondStartWaitsAgain()
    {
        CompanionWatch watch;
        watch.started(1, 0);
        QVERIFY(!watch.poll(true, true, 500));
        watch.started(2, 5000);
        QCOMPARE(watch.pids(), QList<qint64>({1, 2}));
        QVERIFY(!watch.poll(false, true, 5500)); // the new one has not shown its window yet
        QVERIFY(!watch.poll(true, true, 6000));
        QVERIFY(watch.poll(false, true, 6500));
        QVERIFY(watch.pids().isEmpty());
    }

    void placementArgument()
    {
        QCOMPARE(parsePlacement("9360,1200"), std::optional<QPoint>(QPoint(624, 80)));
        QCOMPARE(parsePlacement("-1500,0"), std::optional<QPoint>(QPoint(-100, 0)));
        QCOMPARE(parsePlacement("9367.5,15"), std::optional<QPoint>(QPoint(625, 1)));
        for (const char* bad : {"", "9360", "9360,", "a,b", "1,2,3", "1e300,0", "nan,0"})
            QVERIFY2(!parsePlacement(bad), bad);
        const QRect screen(0, 0, 1280, 1024);
        QCOMPARE(keepOnScreen(QPoint(100, 100), QSize(400, 300), screen), QPoint(100, 100));
        QCOMPARE(keepOnScreen(QPoint(1200, 900), QSize(400, 300), screen), QPoint(880, 724));
        QCOMPARE(keepOnScreen(QPoint(-50, -50), QSize(400, 300), screen), QPoint(0, 0));
    }
};

QTEST_GUILESS_MAIN(UserTagLogicTest)
#include "test_user_tag_logic.moc"
