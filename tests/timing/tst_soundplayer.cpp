#include "timing/SoundPlayer.h"

#include "TestSupport.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

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

// The low `n` bytes of `v`, least significant first.
static QByteArray le(quint32 v, int n)
{
    const quint32 bytes = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&bytes), n);
}

// A WAV file of 0.4 s of silence with `bits` per sample (PCM), mono 22.05 kHz.
static QByteArray pcmWav(int bits)
{
    const int rate = 22050;
    const QByteArray samples(rate * 2 / 5 * bits / 8, '\0');
    return "RIFF" + le(36 + samples.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) +
           le(rate * bits / 8, 4) + le(bits / 8, 2) + le(bits, 2) + "data" + le(samples.size(), 4) + samples;
}

class TestSoundPlayer : public QObject
{
    Q_OBJECT

    TestSandbox m_sandbox;
    std::unique_ptr<SoundPlayer> m_player;

private slots:
    void initTestCase() { QVERIFY2(!QMediaDevices::audioOutputs().isEmpty(), "no audio output device"); }
    void init() { m_player = std::make_unique<SoundPlayer>(); }

    // WAVs of 16, 24 and 32 bits play to their ends and say so; a file that
    // is no sound, or of another kind (from the extension after the last "."
    // of the file name), stays silent and never says "finished".
    void playsToItsEndOrStaysSilent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: nothing there; "/": a folder
        QTest::addColumn<bool>("plays");
        QTest::newRow("16-bit WAV, capital extension") << "my sounds/END.WAV" << fileBytes(kWav) << true;
        QTest::newRow("24-bit WAV") << "sounds/w24.wav" << pcmWav(24) << true;
        QTest::newRow("32-bit WAV") << "sounds/w32.wav" << pcmWav(32) << true;
        QTest::newRow("missing") << "sounds/missing.wav" << QByteArray() << false;
        QTest::newRow("empty file") << "sounds/e.mp3" << QByteArray("") << false;
        QTest::newRow("directory") << "sounds/y.wav" << QByteArray("/") << false;
        QTest::newRow("text as .wav") << "sounds/x.wav" << QByteArray("This is not a sound.\n") << false;
        QTest::newRow("sound as .ogg") << "sounds/tone.ogg" << fileBytes(kWav) << false;
        QTest::newRow("no extension, dotted folder") << "sounds.mp3/tone" << fileBytes(kMp3) << false;
    }
    void playsToItsEndOrStaysSilent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, plays);
        const QString path = m_sandbox.filePath(name);
        if (content == "/")
            QVERIFY(QDir().mkpath(path));
        else if (!content.isNull())
            m_sandbox.writeFile(name, content);
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        m_player->PlaySoundFile(path);
        QVERIFY(m_player->isPlaying(path) || !plays);
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(path) && !m_player->isWavPlaying(), kEndTimeoutMs);
        m_player->StopSoundFile(path);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), int(plays), kEndTimeoutMs);
        QCOMPARE(finished.value(0).value(0).toString(), plays ? path : QString());
    }

    // An MP3 played again starts from the beginning, and plays to its end
    // alongside a WAV loop; the loop stops for any WAV path but not for an
    // MP3 one. A looping MP3 (a final-seconds sound may be one) stops with
    // its own path. No loop ever says "finished".
    void mp3sAndTheWavChannel()
    {
        const QString mp3 = m_sandbox.writeFile(QStringLiteral("my sounds/END OF TALK.MP3"), fileBytes(kMp3));
        QSignalSpy finished(m_player.get(), &SoundPlayer::finished);
        // Catch the first play part-way; one the busy null sink rushed to its end is tried again.
        bool partWay = false;
        for (int attempt = 0; attempt < 3 && !partWay; ++attempt) {
            finished.clear();
            m_player->PlaySoundFile(mp3);
            QTRY_VERIFY_WITH_TIMEOUT(m_player->position(mp3) >= 100 || !finished.isEmpty(), kEndTimeoutMs);
            partWay = finished.isEmpty() && m_player->isPlaying(mp3);
        }
        QVERIFY2(partWay, "the sound always ended before it could be played again");
        m_player->PlaySoundFile(mp3);
        QVERIFY2(m_player->position(mp3) < 100, "the second play did not start from the beginning");
        m_player->LoopSoundFile(kWav);
        QTest::qWait(3000); // several lengths of the WAV
        // One MP3 to its end: the first play was cut off, not played alongside.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kEndTimeoutMs);
        QCOMPARE(finished[0][0].toString(), mp3);
        QVERIFY(m_player->isWavLooping() && m_player->isPlaying(kWav));
        m_player->StopSoundFile(mp3);
        QVERIFY(m_player->isWavLooping());
        m_player->StopSoundFile(m_sandbox.writeFile(QStringLiteral("sounds/other.wav"), fileBytes(kWav)));
        QVERIFY(!m_player->isWavPlaying() && !m_player->isPlaying(kWav));

        m_player->LoopSoundFile(mp3);
        QTest::qWait(2500); // past the end of the 1 s tone
        QVERIFY(m_player->isPlaying(mp3));
        m_player->StopSoundFile(mp3);
        QVERIFY(!m_player->isPlaying(mp3) && !m_player->isWavPlaying());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
