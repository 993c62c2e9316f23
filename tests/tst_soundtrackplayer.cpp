#include "soundtrackplayer.h"

#include <QDir>
#include <QGuiApplication>
#include <QPluginLoader>
#include <QtTest>

#include <atomic>

namespace {
// Long enough for VLC's back end to load on a slow, loaded machine.
const int Deadline = 20000;

// The root object of the back end Phonon loaded: the plugin's instance, which
// every loader of its file shares.
QObject *loadedBackEnd()
{
    for (const QString &folder : QCoreApplication::libraryPaths()) {
        const QDir backEnds(folder + "/" PLOK_PHONON_BACKEND_DIR_SUFFIX);
        for (const QString &file : backEnds.entryList(QDir::Files)) {
            QPluginLoader loader(backEnds.filePath(file));
            if (loader.isLoaded())
                return loader.instance();
        }
    }
    return nullptr;
}
} // namespace

class TestSoundtrackPlayer : public QObject
{
    Q_OBJECT

private slots:
    void backEndOnALivingThread();
};

// What Phonon makes as its back end loads belongs to a thread that runs as
// long as the player plays: a call queued to the back end's root object is
// delivered.
void TestSoundtrackPlayer::backEndOnALivingThread()
{
    SoundtrackPlayer soundtrack;
    QSignalSpy playing(&soundtrack, &SoundtrackPlayer::playing);
    QVERIFY2(soundtrack.play(), "the soundtrack cannot play: no back end, or no sound server");
    QVERIFY(playing.wait(Deadline));

    QObject *backEnd = loadedBackEnd();
    QVERIFY(backEnd);
    std::atomic<bool> delivered { false };
    QMetaObject::invokeMethod(backEnd, [&delivered] { delivered = true; });
    QTRY_VERIFY_WITH_TIMEOUT(delivered, Deadline);
    soundtrack.stop();
}

int main(int argc, char **argv)
{
    SoundtrackPlayer::setUpEnvironment();
    // The demo's kind of application, which a back end may take for granted.
    QGuiApplication app(argc, argv);
    TestSoundtrackPlayer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soundtrackplayer.moc"
