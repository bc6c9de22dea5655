#include "timing/SoundPlayer.h"

#include "TestSupport.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace melvanta;

// Real playback through the default audio output; tools/with-display.sh
// starts a PulseAudio server with a null sink for it and names it in
// PULSE_SERVER. Without an audio output the tests fail rather than skip:
// run them under tools/with-display.sh.
//
// tests/data/tone.mp3 (about 1 s, 880 Hz, mono, 22.05 kHz, 32 kbit/s) was made with
//   sox -n -r 22050 -c 1 -b 16 tone.wav synth 1 sine 880 fade 0.01 1 0.05
//   lame --quiet -m m -b 32 --noreplaygain --tt "Melvanta test tone" tone.wav tone.mp3
// data/sounds/Timeout.wav is the shipped 0.8 s, 16-bit mono WAV.

// Generous: on the null sink a sound usually ends 0.5-1 s after its length,
// and its clock runs in bursts when the machine is busy.
const int kEndTimeoutMs = 8000;
const QString kWav = QStringLiteral(MELVANTA_DATA_DIR "/sounds/Timeout.wav");
const QString kMp3 = QStringLiteral(MELVANTA_TEST_DATA "/tone.mp3");

static QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A WAV file of `ms` of a tone with `bits` per sample (PCM), mono 22.05 kHz.
static QByteArray pcmWav(int bits, int ms)
{
    const int rate = 22050;
    const int bytes = bits / 8;
    QByteArray samples;
    for (int i = 0; i < rate * ms / 1000; ++i) {
        const qint64 value = qint64(0.3 * std::sin(i * 0.25) * ((qint64(1) << (bits - 1)) - 1));
        for (int b = 0; b < bytes; ++b)
            samples.append(char((value >> (8 * b)) & 0xff));
    }
    auto le = [](quint32 v, int n) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
        return out;
    };
    return "RIFF" + le(36 + samples.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) +
           le(rate * bytes, 4) + le(bytes, 2) + le(bits, 2) + "data" + le(samples.size(), 4) + samples;
}

class TestSoundPlayer : public QObject
{
    Q_OBJECT

    TestSandbox m_sandbox;
    std::unique_ptr<SoundPlayer> m_player;

private slots:
    void initTestCase() { QVERIFY2(!QMediaDevices::audioOutputs().isEmpty(), "no audio output device"); }
    void init() { m_player = std::make_unique<SoundPlayer>(); }

    // The kind comes from the extension after the last "." of the file name.
    void soundKindTable()
    {
        QCOMPARE(soundKind(QStringLiteral("/p/sounds/a.mp3")), SoundKind::Mp3);
        QCOMPARE(soundKind(QStringLiteral("C:\\p\\sounds\\a.WAV")), SoundKind::Wav);
        QCOMPARE(soundKind(QStringLiteral("/p/sounds/a.mp3.wav")), SoundKind::Wav);
        QCOMPARE(soundKind(QStringLiteral("/p/a.mp3/tone")), SoundKind::None);
        QCOMPARE(soundKind(QStringLiteral("C:\\p\\a.wav\\tone")), SoundKind::None);
    }

    void wavAndMp3PlayToTheirEnds()
    {
        const QString mp3 = m_sandbox.writeFile(QStringLiteral("my sounds/END OF TALK.MP3"), fileBytes(kMp3));
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        m_player->PlaySoundFile(mp3);
        m_player->PlaySoundFile(kWav);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, kEndTimeoutMs);
        QCOMPARE((QSet<QString>{finished[0][0].toString(), finished[1][0].toString()}), (QSet<QString>{mp3, kWav}));
    }

    // 16-bit WAVs play as sound effects; others through the media player. Both end the same way.
    void everyWavEncodingPlays_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("16-bit") << 16;
        QTest::newRow("24-bit") << 24;
        QTest::newRow("32-bit") << 32;
    }
    void everyWavEncodingPlays()
    {
        QFETCH(int, bits);
        const QString path = m_sandbox.writeFile(QStringLiteral("sounds/w%1.wav").arg(bits), pcmWav(bits, 400));
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        m_player->PlaySoundFile(path);
        QVERIFY(m_player->isPlaying(path));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
        QVERIFY(!m_player->isPlaying(path));
    }

    void mp3PlayedTwiceRestarts()
    {
        const QString path = m_sandbox.writeFile(QStringLiteral("sounds/tone.mp3"), fileBytes(kMp3));
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        // Catch the first play part-way; one the busy null sink rushed to its end is tried again.
        bool partWay = false;
        for (int attempt = 0; attempt < 3 && !partWay; ++attempt) {
            finished.clear();
            m_player->PlaySoundFile(path);
            QTRY_VERIFY_WITH_TIMEOUT(m_player->position(path) >= 100 || !finished.isEmpty(), kEndTimeoutMs);
            partWay = finished.isEmpty() && m_player->isPlaying(path);
        }
        QVERIFY2(partWay, "the sound always ended before it could be played again");
        m_player->PlaySoundFile(path);
        QVERIFY2(m_player->position(path) < 100, "the second play did not start from the beginning");
        // One sound to its end: the first play was cut off, not played alongside.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
    }

    void wavLoopStopsOnlyForAnotherWav()
    {
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        m_player->LoopSoundFile(kWav);
        QTest::qWait(3000); // several lengths of the sound
        QVERIFY(m_player->isWavLooping() && m_player->isPlaying(kWav));
        // Stopping an MP3 leaves it playing.
        m_player->StopSoundFile(m_sandbox.writeFile(QStringLiteral("sounds/tone.mp3"), fileBytes(kMp3)));
        QVERIFY(m_player->isWavLooping());
        m_player->StopSoundFile(m_sandbox.writeFile(QStringLiteral("sounds/other.wav"), fileBytes(kWav)));
        QVERIFY(!m_player->isWavPlaying() && !m_player->isPlaying(kWav));
        QTest::qWait(300);
        QVERIFY(finished.isEmpty());
    }

    // A looping MP3 (a final-seconds sound may be one) stops with its own path.
    void mp3LoopStopsWithItsPath()
    {
        const QString path = m_sandbox.writeFile(QStringLiteral("sounds/final.mp3"), fileBytes(kMp3));
        m_player->LoopSoundFile(path);
        QTest::qWait(2500); // past the end of the 1 s tone
        QVERIFY(m_player->isPlaying(path));
        m_player->StopSoundFile(path);
        QVERIFY(!m_player->isPlaying(path) && !m_player->isWavPlaying());
    }

    // No sound and no "finished"; a file that is no sound fails in the backend.
    void silent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: nothing there; "/": a folder
        QTest::newRow("missing") << "sounds/missing.wav" << QByteArray();
        QTest::newRow("empty file") << "sounds/e.mp3" << QByteArray("");
        QTest::newRow("directory") << "sounds/y.wav" << QByteArray("/");
        QTest::newRow("text as .wav") << "sounds/x.wav" << QByteArray("This is not a sound.\n");
        QTest::newRow("sound as .ogg") << "sounds/tone.ogg" << fileBytes(kWav);
        QTest::newRow("no extension, dotted folder") << "sounds.mp3/tone" << fileBytes(kMp3);
    }
    void silent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = m_sandbox.filePath(name);
        if (content == "/")
            QVERIFY(QDir().mkpath(path));
        else if (!content.isNull())
            m_sandbox.writeFile(name, content);
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        m_player->PlaySoundFile(path);
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(path) && !m_player->isWavPlaying(), 3000);
        m_player->StopSoundFile(path);
        QVERIFY(finished.isEmpty());
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
