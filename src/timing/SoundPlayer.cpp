#include "timing/SoundPlayer.h"

#include "core/ProgramFolder.h"
#include "timing/PlayingSound.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace melvanta {

namespace {

// The "directory look-up" of the original: a regular file, not a folder (a
// FIFO or device named like a sound would make the decoder wait forever).
bool fileFound(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

SoundKind soundKind(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (dot < 0 || dot < separator)
        return SoundKind::None;
    const QStringView extension = QStringView(path).mid(dot + 1);
    if (extension.compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0)
        return SoundKind::Mp3;
    if (extension.compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
        return SoundKind::Wav;
    return SoundKind::None;
}

QString soundPath(const QString& fileName)
{
    return ProgramFolder::sound(fileName);
}

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent)
{}

SoundPlayer::~SoundPlayer()
{
    // Stop every sound now; the sounds are children and go with this object.
    stopAll();
}

void SoundPlayer::stopAll()
{
    for (const QPointer<PlayingSound>& sound : std::as_const(m_mp3Sounds))
        discard(sound);
    m_mp3Sounds.clear();
    stopWavChannel();
}

void SoundPlayer::stopWavChannel()
{
    discard(m_wav);
    m_wav = nullptr;
    m_wavPath.clear();
}

void SoundPlayer::PlaySoundFile(const QString& path)
{
    if (!fileFound(path))
        return;
    switch (soundKind(path)) {
    case SoundKind::Mp3:
        // Close, open, play: a path that plays already starts from the beginning.
        discard(m_mp3Sounds.take(path));
        m_mp3Sounds.insert(path, start(path, false));
        break;
    case SoundKind::Wav:
        discard(m_wav);
        m_wav = start(path, false);
        m_wavPath = path;
        break;
    case SoundKind::None:
        break;
    }
}

void SoundPlayer::StopSoundFile(const QString& path)
{
    if (path.size() <= 3 || !fileFound(path))
        return;
    const SoundKind kind = soundKind(path);
    if (kind == SoundKind::Mp3)
        discard(m_mp3Sounds.take(path));
    // Any WAV path stops whatever WAV sound plays, a loop included; and a
    // loop of any other kind (a looping MP3) stops with its own path.
    if (kind == SoundKind::Wav || m_wavPath == path)
        stopWavChannel();
}

void SoundPlayer::LoopSoundFile(const QString& path)
{
    // The kind is not looked at: the loop serves WAV files and, like the
    // original wave player, replaces the WAV sound that is playing.
    if (!fileFound(path))
        return;
    discard(m_wav);
    m_wav = start(path, true);
    m_wavPath = path;
}

bool SoundPlayer::isPlaying(const QString& path) const
{
    if (const PlayingSound* sound = m_mp3Sounds.value(path); sound && sound->isPlaying())
        return true;
    return m_wavPath == path && m_wav && m_wav->isPlaying();
}

bool SoundPlayer::isWavPlaying() const
{
    return m_wav && m_wav->isPlaying();
}

bool SoundPlayer::isWavLooping() const
{
    return isWavPlaying() && m_wav->isLooping();
}

qint64 SoundPlayer::position(const QString& path) const
{
    if (const PlayingSound* sound = m_mp3Sounds.value(path))
        return sound->position();
    if (m_wav && m_wavPath == path)
        return m_wav->position();
    return -1;
}

QString SoundPlayer::wavPath() const
{
    return m_wavPath;
}

PlayingSound* SoundPlayer::start(const QString& path, bool looping)
{
    auto* sound = new PlayingSound(path, looping, this);
    connect(sound, &PlayingSound::finished, this, [this, path] { Q_EMIT finished(path); });
    return sound;
}

void SoundPlayer::discard(PlayingSound* sound)
{
    if (!sound)
        return;
    sound->disconnect();
    sound->stop();
    sound->deleteLater();
}

} // namespace melvanta
