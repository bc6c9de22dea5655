#include "timing/SoundPlayer.h"

#include "core/ProgramFolder.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace melvanta {

namespace {

// Set on a player once its backend reported an error: the GStreamer backend
// of Qt 6.4 leaves the playback state at "playing" after an error.
constexpr char kFailedProperty[] = "melvantaSoundFailed";

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
    // Stop every sound now; the players are children and go with this object.
    stopAll();
}

void SoundPlayer::stopAll()
{
    for (const QPointer<QMediaPlayer>& player : std::as_const(m_mp3Players))
        discard(player);
    m_mp3Players.clear();
    discard(m_wavPlayer);
    m_wavPlayer = nullptr;
    m_wavPath.clear();
}

void SoundPlayer::PlaySoundFile(const QString& path)
{
    if (!fileFound(path))
        return;
    switch (soundKind(path)) {
    case SoundKind::Mp3:
        // Close, open, play: a path that plays already starts from the beginning.
        discard(m_mp3Players.take(path));
        m_mp3Players.insert(path, startPlayer(path, false));
        break;
    case SoundKind::Wav:
        discard(m_wavPlayer);
        m_wavPlayer = startPlayer(path, false);
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
        discard(m_mp3Players.take(path));
    // Any WAV path stops whatever WAV sound plays, a loop included; and a
    // loop of any other kind (a looping MP3) stops with its own path.
    if (kind == SoundKind::Wav || m_wavPath == path) {
        discard(m_wavPlayer);
        m_wavPlayer = nullptr;
        m_wavPath.clear();
    }
}

void SoundPlayer::LoopSoundFile(const QString& path)
{
    // The kind is not looked at: the loop serves WAV files and, like the
    // original wave player, replaces the WAV sound that is playing.
    if (!fileFound(path))
        return;
    discard(m_wavPlayer);
    m_wavPlayer = startPlayer(path, true);
    m_wavPath = path;
}

bool SoundPlayer::isPlaying(const QString& path) const
{
    if (isPlayerPlaying(m_mp3Players.value(path)))
        return true;
    return m_wavPath == path && isPlayerPlaying(m_wavPlayer);
}

bool SoundPlayer::isWavPlaying() const
{
    return isPlayerPlaying(m_wavPlayer);
}

bool SoundPlayer::isWavLooping() const
{
    return isWavPlaying() && m_wavPlayer->loops() == QMediaPlayer::Infinite;
}

qint64 SoundPlayer::position(const QString& path) const
{
    if (const QMediaPlayer* player = m_mp3Players.value(path))
        return player->position();
    if (m_wavPlayer && m_wavPath == path)
        return m_wavPlayer->position();
    return -1;
}

QString SoundPlayer::wavPath() const
{
    return m_wavPath;
}

QMediaPlayer* SoundPlayer::startPlayer(const QString& path, bool looping)
{
    auto* player = new QMediaPlayer(this);
    auto* output = new QAudioOutput(player);
    player->setAudioOutput(output);
    player->setLoops(looping ? QMediaPlayer::Infinite : QMediaPlayer::Once);

    connect(player, &QMediaPlayer::mediaStatusChanged, this, [this, player, path](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia && !player->property(kFailedProperty).toBool())
            emit finished(path);
    });
    // Backend errors (not a sound file, unreadable, no decoder, no sound
    // server) are silent: the player counts as not playing and goes. It is
    // not stopped: stopping a failed GStreamer pipeline blocks for a second.
    connect(player, &QMediaPlayer::errorOccurred, player, [player](QMediaPlayer::Error, const QString&) {
        player->setProperty(kFailedProperty, true);
        discard(player);
    });

    player->setSource(QUrl::fromLocalFile(path));
    player->play();
    return player;
}

bool SoundPlayer::isPlayerPlaying(const QMediaPlayer* player)
{
    return player && player->playbackState() == QMediaPlayer::PlayingState &&
           player->mediaStatus() != QMediaPlayer::InvalidMedia && !player->property(kFailedProperty).toBool();
}

void SoundPlayer::discard(QMediaPlayer* player)
{
    if (!player)
        return;
    player->disconnect();
    if (!player->property(kFailedProperty).toBool())
        player->stop();
    player->deleteLater();
}

} // namespace melvanta
