#pragma once

#include <QString>

namespace melvanta {

// Names of the files the program keeps in its folder.
inline constexpr char kDatabaseFileName[] = "DeskData.db";
inline constexpr char kHelpFileName[] = "help.html";
inline constexpr char kSoundsFolderName[] = "sounds";
inline constexpr char kPictureFolderName[] = "picture";

// The program folder: where the executable lies, or the folder named by the
// environment variable MELVANTA_HOME. Always handled with a trailing "/".
class ProgramFolder
{
public:
    static QString path();
    // "dir" and "dir/" both give "dir/".
    static QString withTrailingSeparator(const QString& folder);
    static QString file(const QString& name) { return path() + name; }
    static QString sound(const QString& name);
    static QString picture(const QString& name);
};

} // namespace melvanta
