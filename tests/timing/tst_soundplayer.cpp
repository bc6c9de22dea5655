#include "timing/SoundPlayer.h"

#include "TestSupport.h"

#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace melvanta;

Q_DECLARE_METATYPE(melvanta::SoundKind)

// Real playback through the default audio output; tools/with-display.sh
// starts a PulseAudio server with a null sink for it and names it in
// PULSE_SERVER (the sandbox moves XDG_CONFIG_HOME, where a client without
// XDG_RUNTIME_DIR would look for the server). Without an audio output the
// tests fail rather than skip.
//
// tests/data/tone.mp3 (about 1 s, 880 Hz, mono, 22.05 kHz, 32 kbit/s) was made with
//   sox -n -r 22050 -c 1 -b 16 tone.wav synth 1 sine 880 fade 0.01 1 0.05
//   lame --quiet -m m -b 32 --noreplaygain --tt "Melvanta test tone" tone.wav tone.mp3
// data/sounds/Timeout.wav is the shipped 0.8 s, 16-bit mono WAV.

namespace {

// Generous: on the null sink a sound usually reaches its end 0.5-1 s after its length.
constexpr int kEndTimeoutMs = 8000;
// Backend errors for files that are no sound arrive within a few ms here.
constexpr int kErrorTimeoutMs = 3000;

QString shippedWav(const QString& name)
{
    return QStringLiteral(MELVANTA_DATA_DIR "/sounds/") + name;
}

QString testMp3()
{
    return QStringLiteral(MELVANTA_TEST_DATA "/tone.mp3");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void soundKind_data();
    void soundKind();
    void soundPathInProgramFolder();

    void playsToEnd_data();
    void playsToEnd();
    void mp3PlayedTwiceRestarts();
    void wavPlayReplacesWav();
    void mp3AndWavPlayTogether();
    void stopMp3();
    void loopKeepsPlayingUntilWavStop();
    void wavStop_data();
    void wavStop();
    void playReplacesLoop();
    void silent_data();
    void silent();
    void loopOfMissingFileIsSilent_data();
    void loopOfMissingFileIsSilent();
    void stillPlaysAfterFailures();

private:
    // Copies a fixture into the sandbox under `name` (sub-folders are made).
    QString copyTo(const QString& source, const QString& name) const;

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<SoundPlayer> m_player;
};

void TestSoundPlayer::initTestCase()
{
    QVERIFY2(QFile::exists(shippedWav(QStringLiteral("Timeout.wav"))), "data/sounds/Timeout.wav is missing");
    QVERIFY2(QFile::exists(testMp3()), "tests/data/tone.mp3 is missing");
    // Fail loudly, not skip: these tests need a sound server (tools/with-display.sh starts PulseAudio).
    QVERIFY2(!QMediaDevices::audioOutputs().isEmpty(),
             "no audio output device: run the test under tools/with-display.sh (PulseAudio null sink)");
}

void TestSoundPlayer::init()
{
    m_sandbox = std::make_unique<TestSandbox>();
    m_player = std::make_unique<SoundPlayer>();
}

void TestSoundPlayer::cleanup()
{
    m_player.reset();
    // The players go with deleteLater.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_sandbox.reset();
}

QString TestSoundPlayer::copyTo(const QString& source, const QString& name) const
{
    return m_sandbox->writeFile(name, fileBytes(source));
}

void TestSoundPlayer::soundKind_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<SoundKind>("kind");

    QTest::newRow("mp3") << "/p/sounds/a.mp3" << SoundKind::Mp3;
    QTest::newRow("wav") << "/p/sounds/a.wav" << SoundKind::Wav;
    QTest::newRow("upper-case MP3") << "/p/sounds/A.MP3" << SoundKind::Mp3;
    QTest::newRow("mixed-case Wav") << "/p/sounds/a.Wav" << SoundKind::Wav;
    QTest::newRow("last dot counts") << "/p/sounds/a.mp3.wav" << SoundKind::Wav;
    QTest::newRow("other kind after sound kind") << "/p/sounds/a.wav.ogg" << SoundKind::None;
    QTest::newRow("ogg") << "/p/sounds/a.ogg" << SoundKind::None;
    QTest::newRow("mp3 without dot") << "/p/sounds/mp3" << SoundKind::None;
    QTest::newRow("dot in folder only") << "/p/a.mp3/tone" << SoundKind::None;
    QTest::newRow("dot in folder, backslashes") << "C:\\p\\a.wav\\tone" << SoundKind::None;
    QTest::newRow("backslash path") << "C:\\p\\sounds\\a.WAV" << SoundKind::Wav;
    QTest::newRow("trailing dot") << "/p/sounds/a." << SoundKind::None;
    QTest::newRow("name is only the extension") << "/p/sounds/.mp3" << SoundKind::Mp3;
    QTest::newRow("blanks") << "/p/my sounds/end of talk.mp3" << SoundKind::Mp3;
    QTest::newRow("empty field") << "/p/sounds/" << SoundKind::None;
    QTest::newRow("empty") << "" << SoundKind::None;
    QTest::newRow("extension with blank") << "/p/sounds/a.mp3 " << SoundKind::None;
}

void TestSoundPlayer::soundKind()
{
    QFETCH(QString, path);
    QFETCH(SoundKind, kind);
    QCOMPARE(melvanta::soundKind(path), kind);
}

void TestSoundPlayer::soundPathInProgramFolder()
{
    QCOMPARE(soundPath(QStringLiteral("alarm.wav")), m_sandbox->programFolder() + QStringLiteral("sounds/alarm.wav"));
    QCOMPARE(soundPath(QString()), m_sandbox->programFolder() + QStringLiteral("sounds/"));
}

void TestSoundPlayer::playsToEnd_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("name"); // empty: play the source itself
    QTest::addColumn<bool>("wav");

    QTest::newRow("shipped wav") << shippedWav(QStringLiteral("Timeout.wav")) << QString() << true;
    QTest::newRow("mp3") << testMp3() << QStringLiteral("sounds/tone.mp3") << false;
    QTest::newRow("upper-case MP3, blanks in path")
        << testMp3() << QStringLiteral("my sounds/END OF TALK.MP3") << false;
}

void TestSoundPlayer::playsToEnd()
{
    QFETCH(QString, source);
    QFETCH(QString, name);
    QFETCH(bool, wav);
    const QString path = name.isEmpty() ? source : copyTo(source, name);

    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
    m_player->PlaySoundFile(path);
    QVERIFY(m_player->isPlaying(path));
    QCOMPARE(m_player->isWavPlaying(), wav);

    // No check of how long it took: the null sink's clock runs in bursts when
    // the machine is busy, and a 1 s sound may end after 0.2 s or 2 s.
    QTRY_VERIFY2_WITH_TIMEOUT(finished.size() == 1,
                              "the sound did not play to its end: no sound server reachable? (tools/with-display.sh "
                              "starts one and names it in PULSE_SERVER)",
                              kEndTimeoutMs);
    QCOMPARE(finished.at(0).at(0).toString(), path);
    QVERIFY(!m_player->isPlaying(path));
    QVERIFY(!m_player->isWavPlaying());
}

void TestSoundPlayer::mp3PlayedTwiceRestarts()
{
    const QString path = copyTo(testMp3(), QStringLiteral("sounds/tone.mp3"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    // Catch the first play part-way through. The null sink may rush through a
    // sound when the machine is busy, so a play that ends first is tried again.
    bool partWay = false;
    for (int attempt = 0; attempt < 3 && !partWay; ++attempt) {
        finished.clear();
        m_player->PlaySoundFile(path);
        QTRY_VERIFY_WITH_TIMEOUT(m_player->position(path) >= 100 || !finished.isEmpty(), kEndTimeoutMs);
        partWay = finished.isEmpty() && m_player->isPlaying(path);
    }
    QVERIFY2(partWay, "the sound always ended before it could be played again");

    m_player->PlaySoundFile(path);
    QVERIFY(m_player->isPlaying(path));
    QVERIFY2(m_player->position(path) < 100, "the second play did not start from the beginning");

    // One sound to its end: the first play was cut off, not played alongside.
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
    QTest::qWait(300);
    QCOMPARE(finished.size(), 1);
}

void TestSoundPlayer::wavPlayReplacesWav()
{
    const QString first = shippedWav(QStringLiteral("Stop.wav"));
    const QString second = shippedWav(QStringLiteral("Timeout.wav"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->PlaySoundFile(first);
    QVERIFY(m_player->isPlaying(first));
    m_player->PlaySoundFile(second);
    QVERIFY(!m_player->isPlaying(first));
    QVERIFY(m_player->isPlaying(second));
    QCOMPARE(m_player->wavPath(), second);

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
    QCOMPARE(finished.at(0).at(0).toString(), second);
    QTest::qWait(300);
    QCOMPARE(finished.size(), 1);
}

void TestSoundPlayer::mp3AndWavPlayTogether()
{
    const QString mp3 = copyTo(testMp3(), QStringLiteral("sounds/tone.mp3"));
    const QString wav = shippedWav(QStringLiteral("Timeout.wav"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->PlaySoundFile(mp3);
    m_player->PlaySoundFile(wav);
    QVERIFY(m_player->isPlaying(mp3));
    QVERIFY(m_player->isPlaying(wav));

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, kEndTimeoutMs);
    QStringList ended{finished.at(0).at(0).toString(), finished.at(1).at(0).toString()};
    ended.sort();
    QStringList expected{mp3, wav};
    expected.sort();
    QCOMPARE(ended, expected);
}

void TestSoundPlayer::stopMp3()
{
    const QString mp3 = copyTo(testMp3(), QStringLiteral("sounds/tone.mp3"));
    const QString otherMp3 = copyTo(testMp3(), QStringLiteral("sounds/other.mp3"));
    const QString wav = shippedWav(QStringLiteral("Timeout.wav"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->PlaySoundFile(mp3);
    m_player->PlaySoundFile(otherMp3);
    m_player->LoopSoundFile(wav);

    m_player->StopSoundFile(mp3);
    QVERIFY(!m_player->isPlaying(mp3));
    QVERIFY(m_player->isPlaying(otherMp3)); // each MP3 path is its own player
    QVERIFY(m_player->isWavLooping());      // an MP3 stop leaves WAV sound alone

    m_player->StopSoundFile(wav);
    QVERIFY(!m_player->isWavPlaying());
    QVERIFY(m_player->isPlaying(otherMp3)); // a WAV stop leaves MP3 sound alone

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
    QCOMPARE(finished.at(0).at(0).toString(), otherMp3);
    // Stopping what has ended, or was never played, is harmless.
    m_player->StopSoundFile(mp3);
    m_player->StopSoundFile(otherMp3);
    m_player->StopSoundFile(wav);
}

void TestSoundPlayer::loopKeepsPlayingUntilWavStop()
{
    const QString loop = shippedWav(QStringLiteral("Timeout.wav")); // 0.8 s
    const QString mp3 = copyTo(testMp3(), QStringLiteral("sounds/tone.mp3"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->LoopSoundFile(loop);
    QVERIFY(m_player->isWavLooping());

    // Past several lengths of the sound (a single play ends within about 2 s here).
    QTest::qWait(3000);
    QVERIFY(m_player->isWavLooping());
    QVERIFY(m_player->isPlaying(loop));
    QVERIFY(finished.isEmpty());

    // Stops that are not WAV stops leave it playing.
    m_player->StopSoundFile(mp3);
    m_player->StopSoundFile(m_sandbox->filePath(QStringLiteral("sounds/missing.wav")));
    m_player->StopSoundFile(copyTo(loop, QStringLiteral("sounds/loop.ogg")));
    QVERIFY(m_player->isWavLooping());

    // A different WAV path stops it.
    m_player->StopSoundFile(shippedWav(QStringLiteral("alarm.wav")));
    QVERIFY(!m_player->isWavPlaying());
    QVERIFY(!m_player->isPlaying(loop));
    QTest::qWait(300);
    QVERIFY(finished.isEmpty());
}

void TestSoundPlayer::wavStop_data()
{
    QTest::addColumn<QString>("stopName"); // relative to the sandbox; empty: the loop itself
    QTest::addColumn<bool>("stops");

    QTest::newRow("the looping path") << QString() << true;
    QTest::newRow("another wav") << QStringLiteral("sounds/other.wav") << true;
    QTest::newRow("another upper-case WAV") << QStringLiteral("sounds/OTHER.WAV") << true;
    QTest::newRow("wav path with blanks") << QStringLiteral("my sounds/an other.wav") << true;
    QTest::newRow("an mp3") << QStringLiteral("sounds/other.mp3") << false;
    QTest::newRow("missing wav") << QStringLiteral("-sounds/missing.wav") << false;
    QTest::newRow("wav directory") << QStringLiteral("+sounds/folder.wav") << false;
    QTest::newRow("other kind") << QStringLiteral("sounds/other.ogg") << false;
    QTest::newRow("no extension, dotted folder") << QStringLiteral("sounds.wav/other") << false;
}

void TestSoundPlayer::wavStop()
{
    QFETCH(QString, stopName);
    QFETCH(bool, stops);
    const QString loop = copyTo(shippedWav(QStringLiteral("Timeout.wav")), QStringLiteral("sounds/loop.wav"));
    QString stopPath = loop;
    if (stopName.startsWith(QLatin1Char('-'))) {
        stopPath = m_sandbox->filePath(stopName.mid(1)); // not made
    } else if (stopName.startsWith(QLatin1Char('+'))) {
        stopPath = m_sandbox->filePath(stopName.mid(1));
        QVERIFY(QDir().mkpath(stopPath));
    } else if (!stopName.isEmpty()) {
        stopPath = copyTo(shippedWav(QStringLiteral("alarm.wav")), stopName);
    }

    m_player->LoopSoundFile(loop);
    QVERIFY(m_player->isWavLooping());
    m_player->StopSoundFile(stopPath);
    QCOMPARE(m_player->isWavPlaying(), !stops);
    QCOMPARE(m_player->isPlaying(loop), !stops);
}

void TestSoundPlayer::playReplacesLoop()
{
    const QString loop = shippedWav(QStringLiteral("alarm.wav"));
    const QString once = shippedWav(QStringLiteral("Timeout.wav"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->LoopSoundFile(loop);
    QVERIFY(m_player->isWavLooping());
    m_player->PlaySoundFile(once);
    QVERIFY(!m_player->isPlaying(loop));
    QVERIFY(m_player->isWavPlaying());
    QVERIFY(!m_player->isWavLooping());

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
    QCOMPARE(finished.at(0).at(0).toString(), once);
    QVERIFY(!m_player->isWavPlaying());
}

void TestSoundPlayer::silent_data()
{
    // How the path is made: "missing" (nothing there), "dir" (a folder),
    // "text" (a few bytes of text), "empty" (0 bytes), "mp3" (the tone under
    // another name), "fifo" (a named pipe), "field" (the sounds folder itself,
    // as for an empty stage field).
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("name");
    // Whether the player may try it at all (it then fails in the backend).
    QTest::addColumn<bool>("tried");

    QTest::newRow("missing mp3") << "missing"
                                 << "sounds/missing.mp3" << false;
    QTest::newRow("missing wav") << "missing"
                                 << "sounds/missing.wav" << false;
    QTest::newRow("missing, blanks in path") << "missing"
                                             << "my sounds/no such sound.wav" << false;
    QTest::newRow("empty path") << "empty path"
                                << "" << false;
    QTest::newRow("empty stage field") << "field"
                                       << "sounds/" << false;
    QTest::newRow("directory y.mp3") << "dir"
                                     << "sounds/y.mp3" << false;
    QTest::newRow("directory y.wav") << "dir"
                                     << "sounds/y.wav" << false;
    QTest::newRow("text file x.wav") << "text"
                                     << "sounds/x.wav" << true;
    QTest::newRow("text file x.mp3") << "text"
                                     << "sounds/x.mp3" << true;
    QTest::newRow("empty file e.wav") << "empty"
                                      << "sounds/e.wav" << true;
    QTest::newRow("empty file e.MP3") << "empty"
                                      << "sounds/e.MP3" << true;
    QTest::newRow("text file, blanks in path") << "text"
                                               << "my sounds/not a sound.wav" << true;
    QTest::newRow("other kind .ogg") << "mp3"
                                     << "sounds/tone.ogg" << false;
    QTest::newRow("other kind .mp4") << "mp3"
                                     << "sounds/tone.mp4" << false;
    QTest::newRow("no extension, dotted folder") << "mp3"
                                                 << "sounds.mp3/tone" << false;
    QTest::newRow("no extension, dotted folder, wav") << "mp3"
                                                      << "old.wav/tone" << false;
#ifdef Q_OS_UNIX
    QTest::newRow("named pipe f.wav") << "fifo"
                                      << "sounds/f.wav" << false;
#endif
}

void TestSoundPlayer::silent()
{
    QFETCH(QString, make);
    QFETCH(QString, name);
    QFETCH(bool, tried);

    QString path = m_sandbox->filePath(name);
    if (make == QLatin1String("empty path")) {
        path.clear();
    } else if (make == QLatin1String("field")) {
        QVERIFY(QDir().mkpath(path));
        copyTo(testMp3(), QStringLiteral("sounds/tone.mp3")); // the folder is not empty
        QCOMPARE(path, soundPath(QString()));
    } else if (make == QLatin1String("dir")) {
        QVERIFY(QDir().mkpath(path));
    } else if (make == QLatin1String("text")) {
        m_sandbox->writeFile(name, "This is not a sound.\n");
    } else if (make == QLatin1String("empty")) {
        m_sandbox->writeFile(name, QByteArray());
    } else if (make == QLatin1String("mp3")) {
        copyTo(testMp3(), name); // real sound, but not a kind the player takes
    } else if (make == QLatin1String("fifo")) {
#ifdef Q_OS_UNIX
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    }

    // The clock window keeps ticking: a failing sound never holds up the event
    // loop (stopping a failed GStreamer pipeline would block it for 1 s).
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();

    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
    m_player->PlaySoundFile(path);
    if (!tried) {
        QVERIFY(!m_player->isPlaying(path));
        QCOMPARE(m_player->position(path), qint64(-1)); // no player at all
        QVERIFY(!m_player->isWavPlaying());
    }
    // A file that is no sound fails in the backend; the failure is swallowed.
    QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(path), kErrorTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_player->isWavPlaying(), kErrorTimeoutMs);
    m_player->StopSoundFile(path);
    QTest::qWait(100);

    QVERIFY(finished.isEmpty());
    QVERIFY(!m_player->isPlaying(path));
    QVERIFY2(longestGap < 800, qPrintable(QStringLiteral("event loop held up for %1 ms").arg(longestGap)));
}

void TestSoundPlayer::loopOfMissingFileIsSilent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("directory");

    QTest::newRow("missing") << "sounds/missing.wav" << false;
    QTest::newRow("directory") << "sounds/folder.wav" << true;
    QTest::newRow("empty stage field") << "sounds/" << true;
}

void TestSoundPlayer::loopOfMissingFileIsSilent()
{
    QFETCH(QString, name);
    QFETCH(bool, directory);
    const QString path = m_sandbox->filePath(name);
    if (directory)
        QVERIFY(QDir().mkpath(path));

    // Nothing starts, and what loops already goes on.
    const QString loop = shippedWav(QStringLiteral("Timeout.wav"));
    m_player->LoopSoundFile(loop);
    m_player->LoopSoundFile(path);
    QVERIFY(!m_player->isPlaying(path));
    QVERIFY(m_player->isWavLooping());
    QCOMPARE(m_player->wavPath(), loop);
}

void TestSoundPlayer::stillPlaysAfterFailures()
{
    const QString text = m_sandbox->writeFile(QStringLiteral("sounds/x.mp3"), "no sound");
    const QString textWav = m_sandbox->writeFile(QStringLiteral("sounds/x.wav"), "no sound");
    const QString mp3 = copyTo(testMp3(), QStringLiteral("sounds/tone.mp3"));
    const QString wav =
        copyTo(shippedWav(QStringLiteral("Timeout.wav")), QStringLiteral("我的 声音/time is up 时间到.wav"));
    QSignalSpy finished(m_player.get(), &SoundPlayer::finished);

    m_player->PlaySoundFile(text);
    m_player->PlaySoundFile(textWav);
    QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(text) && !m_player->isWavPlaying(), kErrorTimeoutMs);

    // The same paths hold sound now (the file was replaced): they play.
    QVERIFY(QFile::remove(text));
    QVERIFY(QFile::copy(mp3, text));
    m_player->PlaySoundFile(text);
    m_player->PlaySoundFile(wav);
    QVERIFY(m_player->isPlaying(text));
    QVERIFY(m_player->isPlaying(wav));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, kEndTimeoutMs);
    QStringList ended{finished.at(0).at(0).toString(), finished.at(1).at(0).toString()};
    ended.sort();
    QStringList expected{text, wav};
    expected.sort();
    QCOMPARE(ended, expected);
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
