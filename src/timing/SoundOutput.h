#pragma once

#include <QString>

namespace melvanta {

// Plays the phase sounds. A sound is addressed by its full path; the player
// keeps no state the caller has to know about.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // MP3 and WAV files (by the extension after the last "."); other kinds
    // and missing files are ignored silently.
    virtual void PlaySoundFile(const QString& path) = 0;
    // Stops an MP3 path, or, for a WAV path, every WAV sound (looping too);
    // a loop stops with its own path whatever its kind.
    virtual void StopSoundFile(const QString& path) = 0;
    // Plays a WAV file over and over until a WAV path is stopped.
    virtual void LoopSoundFile(const QString& path) = 0;
};

} // namespace melvanta
