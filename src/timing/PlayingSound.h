#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class QMediaPlayer;
class QSoundEffect;

namespace melvanta {

// One sound file playing, once or looping. A short WAV file plays as a
// sound effect straight to the audio output, which needs no media pipeline
// (and none of its memory); anything else, or a WAV the effect cannot take
// (24-bit, float, compressed), plays through a media player. Backend errors
// are silent: the sound then counts as not playing.
class PlayingSound : public QObject
{
    Q_OBJECT
public:
    PlayingSound(const QString& path, bool looping, QObject* parent = nullptr);
    ~PlayingSound() override;

    const QString& path() const { return m_path; }
    bool isPlaying() const;
    bool isLooping() const { return m_looping; }
    // How far it has played, in ms.
    qint64 position() const;
    // Stops it for good; it signals nothing more.
    void stop();

Q_SIGNALS:
    // It played to its end (never for a loop, a stop or an error).
    void finished();

private:
    void playAsEffect();
    void playAsMedia();

    QString m_path;
    bool m_looping;
    bool m_failed = false;
    bool m_stopped = false;
    QPointer<QSoundEffect> m_effect;
    QPointer<QMediaPlayer> m_media;
    QElapsedTimer m_sinceStart;
};

} // namespace melvanta
