#pragma once

#include <QString>

namespace melvanta {

// What an import brings into the program folder.
enum class ImportKind
{
    Sound,  // into "sounds": wave or MP3 files
    Picture // into "picture": JPEG, BMP, GIF, icon or PNG files
};

// A file the operator chose, put into the program's folder for `kind`
// (`folder`, created when missing). The boxes keep bare names, so a file of
// the same name but other content already there is not replaced: the new
// one is copied under a free name ("bell (2).mp3"); an identical file is
// used as it is.
struct ImportOutcome
{
    enum class Result
    {
        Imported, // `name` is what the box takes
        Ignored,  // a shortcut was chosen: nothing changes, nothing is said
        Refused   // `message` says why; the box keeps its name
    };
    Result result = Result::Refused;
    QString name;
    QString message;
};
ImportOutcome importFile(const QString& chosenPath, const QString& folder, ImportKind kind);

// Whether the file's first bytes are those of a sound (wave, MP3) or a
// picture (JPEG, BMP, GIF, icon, PNG).
bool looksLike(const QString& path, ImportKind kind);

// A shortcut rather than the file itself (".lnk", and ".desktop" here).
bool isShortcut(const QString& path);

} // namespace melvanta
