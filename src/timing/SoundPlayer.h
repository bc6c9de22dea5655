#pragma once

#include "timing/SoundOutput.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

namespace melvanta {

// The kind of a sound file, from the extension after the last "." of the
// file name, compared case-insensitively. A "." before the last "/" or "\"
// does not count; a name without "." has no kind.
enum class SoundKind
{
    None,
    Mp3,
    Wav,
};
SoundKind soundKind(const QString& path);

// The full path of a sound file of the program folder's "sounds" folder
// (ProgramFolder::sound). An empty name gives the folder itself, which no
// operation of the player plays.
QString soundPath(const QString& fileName);

class PlayingSound;

// Plays the phase sounds on Qt Multimedia. Each MP3 path has a sound of its
// own; WAV files share one channel, so a WAV play or loop replaces the WAV
// sound that is playing. Every play starts a fresh sound (the "close, open,
// play" of the original), which also keeps late signals of a replaced sound
// away from its successor. Short WAV files play as sound effects, which need
// no media pipeline (PlayingSound). Missing files, directories, other kinds
// and backend errors are silent. User-interface thread only.
class SoundPlayer : public QObject, public SoundOutput
{
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    void PlaySoundFile(const QString& path) override;
    void StopSoundFile(const QString& path) override;
    void LoopSoundFile(const QString& path) override;
    // Stops every sound, MP3 and WAV, looping or not.
    void stopAll();

    // Whether the sound of `path` is playing: the MP3 of that path, or the
    // WAV channel when it plays `path`. False after its end, a stop, a
    // replacement or a backend error.
    bool isPlaying(const QString& path) const;
    // Whether any WAV sound (looping or not) is playing.
    bool isWavPlaying() const;
    // Whether the WAV channel plays a looping sound.
    bool isWavLooping() const;
    // How far the sound of `path` has played, in ms; -1 when it has none.
    qint64 position(const QString& path) const;
    // The path on the WAV channel (also after it ended); empty when there is none.
    QString wavPath() const;

Q_SIGNALS:
    // A sound played to its end (never for a loop, a stop or an error).
    void finished(const QString& path);

private:
    PlayingSound* start(const QString& path, bool looping);
    static void discard(PlayingSound* sound);
    void stopWavChannel();

    QMap<QString, QPointer<PlayingSound>> m_mp3Sounds;
    QPointer<PlayingSound> m_wav;
    QString m_wavPath;
};

} // namespace melvanta
