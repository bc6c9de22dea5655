#include "timing/PlayingSound.h"

#include "timing/SoundPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>

namespace melvanta {

namespace {

// A sound effect holds the whole decoded file in memory: alert sounds, not music.
constexpr qint64 kLargestEffectBytes = 4 * 1024 * 1024;

} // namespace

PlayingSound::PlayingSound(const QString& path, bool looping, QObject* parent)
    : QObject(parent), m_path(path), m_looping(looping)
{
    m_sinceStart.start();
    if (soundKind(path) == SoundKind::Wav && QFileInfo(path).size() <= kLargestEffectBytes)
        playAsEffect();
    else
        playAsMedia();
}

PlayingSound::~PlayingSound()
{
    stop();
}

void PlayingSound::playAsEffect()
{
    auto* effect = new QSoundEffect(this);
    m_effect = effect;
    effect->setLoopCount(m_looping ? QSoundEffect::Infinite : 1);
    connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
        if (effect->status() != QSoundEffect::Error || m_stopped)
            return;
        // Not a WAV the effect takes: the media player may know it.
        effect->disconnect(this);
        effect->deleteLater();
        m_effect = nullptr;
        playAsMedia();
    });
    connect(effect, &QSoundEffect::playingChanged, this, [this, effect] {
        if (!effect->isPlaying() && !m_stopped && effect->status() == QSoundEffect::Ready && !m_looping)
            Q_EMIT finished();
    });
    effect->setSource(QUrl::fromLocalFile(m_path));
    effect->play();
}

void PlayingSound::playAsMedia()
{
    m_sinceStart.restart();
    auto* player = new QMediaPlayer(this);
    m_media = player;
    player->setAudioOutput(new QAudioOutput(player));
    player->setLoops(m_looping ? QMediaPlayer::Infinite : QMediaPlayer::Once);
    connect(player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia && !m_failed && !m_stopped)
            Q_EMIT finished();
    });
    // Not a sound file, unreadable, no decoder, no sound server: silence. The
    // player is not stopped: stopping a failed pipeline blocks for a second.
    connect(player, &QMediaPlayer::errorOccurred, this, [this] { m_failed = true; });
    player->setSource(QUrl::fromLocalFile(m_path));
    player->play();
}

bool PlayingSound::isPlaying() const
{
    if (m_stopped || m_failed)
        return false;
    if (m_effect)
        return m_effect->isPlaying() || m_effect->status() == QSoundEffect::Loading ||
               m_effect->status() == QSoundEffect::Null;
    return m_media && m_media->playbackState() == QMediaPlayer::PlayingState &&
           m_media->mediaStatus() != QMediaPlayer::InvalidMedia;
}

qint64 PlayingSound::position() const
{
    if (m_media)
        return m_media->position();
    return m_sinceStart.elapsed();
}

void PlayingSound::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    if (m_effect) {
        m_effect->disconnect(this);
        m_effect->stop();
    }
    if (m_media) {
        m_media->disconnect(this);
        if (!m_failed)
            m_media->stop();
    }
}

} // namespace melvanta
