// The timeline on a clock stepped by hand: when each cut is due, with and
// without a lead, cuts that a late clock has passed, the end, and the lead
// a window gives its cuts.

#include "clock.h"
#include "timeline.h"

#include <QtTest>

namespace {
struct SteppedClock : Clock
{
    qint64 elapsed() const override { return msecs; }
    qint64 msecs = 0;
};

const qint64 SceneEnds[] = { 7000, 14500, 22000, 45000 };
} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void cutDue_data();
    void cutDue();
    void lateClockMakesEveryCutPassed();
    void endsAfterTheLastScene();
    void cutLead_data();
    void cutLead();
};

void TestTimeline::cutDue_data()
{
    QTest::addColumn<int>("scene");
    QTest::addColumn<qint64>("lead");
    for (int scene = 0; scene < Timeline::SceneCount; ++scene) {
        for (qint64 lead : { 0, 45 })
            QTest::addRow("scene %d, %lld ms ahead", scene, lead) << scene << lead;
    }
}

// Each scene ends at its place counted from the start; a change asked for
// `lead` ms ahead is due that much earlier.
void TestTimeline::cutDue()
{
    QFETCH(int, scene);
    QFETCH(qint64, lead);
    SteppedClock clock;
    Timeline timeline(&clock);
    for (int i = 0; i < scene; ++i) {
        clock.msecs = SceneEnds[i];
        QVERIFY(timeline.advance());
    }
    QCOMPARE(timeline.scene(), scene);
    QCOMPARE(timeline.inLastScene(), scene == Timeline::SceneCount - 1);

    clock.msecs = SceneEnds[scene] - lead - 1;
    QVERIFY(!timeline.changeDue(lead));
    QCOMPARE(timeline.msecsToChange(lead), qint64(1));
    clock.msecs = SceneEnds[scene] - lead;
    QVERIFY(timeline.changeDue(lead));
    QCOMPARE(timeline.msecsToChange(lead), qint64(0));
}

// A clock that jumps past two cuts finds both due, one after the other: a
// late cut does not delay the next.
void TestTimeline::lateClockMakesEveryCutPassed()
{
    SteppedClock clock;
    Timeline timeline(&clock);
    clock.msecs = 15000;
    int cuts = 0;
    while (timeline.changeDue()) {
        QVERIFY(timeline.advance());
        ++cuts;
    }
    QCOMPARE(cuts, 2);
    QCOMPARE(timeline.scene(), 2);
    QCOMPARE(timeline.msecsToChange(), qint64(7000));
}

void TestTimeline::endsAfterTheLastScene()
{
    SteppedClock clock;
    Timeline timeline(&clock);
    QCOMPARE(Timeline::length(), qint64(45000));
    clock.msecs = Timeline::length();
    for (int scene = 1; scene < Timeline::SceneCount; ++scene)
        QVERIFY(timeline.advance());
    QVERIFY(!timeline.finished());
    QVERIFY(timeline.changeDue());
    QVERIFY(!timeline.advance());
    QVERIFY(timeline.finished());
    QVERIFY(!timeline.changeDue());
    QCOMPARE(timeline.scene(), Timeline::SceneCount - 1);
}

void TestTimeline::cutLead_data()
{
    QTest::addColumn<qint64>("frameDuration");
    QTest::addColumn<bool>("lastScene");
    QTest::addColumn<qint64>("lead");
    // A frame's drawing time, and half of it again by the share of the
    // frame interval that frames take.
    QTest::newRow("no frames yet") << qint64(0) << false << qint64(0);
    QTest::newRow("10 ms frames") << qint64(10) << false << qint64(11);
    QTest::newRow("30 ms frames") << qint64(30) << false << qint64(45);
    QTest::newRow("60 ms frames, longer than the interval") << qint64(60) << false << qint64(90);
    QTest::newRow("10 ms frames, the end") << qint64(10) << true << qint64(1);
    QTest::newRow("60 ms frames, the end") << qint64(60) << true << qint64(30);
}

void TestTimeline::cutLead()
{
    QFETCH(qint64, frameDuration);
    QFETCH(bool, lastScene);
    QFETCH(qint64, lead);
    QCOMPARE(Timeline::cutLead(frameDuration, 30, lastScene), lead);
}

QTEST_APPLESS_MAIN(TestTimeline)
#include "tst_timeline.moc"
