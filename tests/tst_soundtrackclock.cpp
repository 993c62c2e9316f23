#include "soundtrackclock.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
const qint64 Heard = 5000;
const qint64 NotPlaying = -1;
} // namespace

class TestSoundtrackClock : public QObject
{
    Q_OBJECT

private slots:
    void followsThePositionLessItsLead_data();
    void followsThePositionLessItsLead();
};

void TestSoundtrackClock::followsThePositionLessItsLead_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("lead");
    QTest::addColumn<qint64>("expected");
    QTest::addRow("GStreamer's position") << Heard << qint64(0) << Heard;
    QTest::addRow("VLC's position, 40 ms ahead") << Heard + 40 << qint64(40) << Heard;
    QTest::addRow("not playing: the wall clock") << NotPlaying << qint64(40) << qint64(0);
}

// The time is the music heard: the position read, less how far the player
// runs ahead of the sound, carried on by the wall clock since it was read.
void TestSoundtrackClock::followsThePositionLessItsLead()
{
    QFETCH(qint64, position);
    QFETCH(qint64, lead);
    QFETCH(qint64, expected);

    QElapsedTimer since;
    since.start();
    SoundtrackClock clock;
    clock.follow([position] { return position; }, lead);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= expected && elapsed <= expected + since.elapsed(),
             qPrintable(QString("%1 ms, expected %2 to %3")
                            .arg(elapsed)
                            .arg(expected)
                            .arg(expected + since.elapsed())));
}

QTEST_GUILESS_MAIN(TestSoundtrackClock)
#include "tst_soundtrackclock.moc"
