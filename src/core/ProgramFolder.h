#pragma once

#include <QString>

namespace melvanta {

// Names of the files the program keeps in its folder.
inline constexpr char kDatabaseFileName[] = "DeskData.db";
inline constexpr char kHelpFileName[] = "help.html";
inline constexpr char kSoundsFolderName[] = "sounds";
inline constexpr char kPictureFolderName[] = "picture";

// Where one copy of the program keeps its data.
struct FolderChoice
{
    QString folder;        // the program folder: stages, records, profile, sounds, pictures
    QString shippedFolder; // the help page, and what a per-user folder is filled from
    bool perUser = false;  // an installed copy's per-user data folder, filled from shippedFolder
};

// The program folder, always handled with a trailing "/":
//  - the folder named by the environment variable MELVANTA_HOME;
//  - else the executable's folder when it holds the profile file "TimeData.db"
//    (a copy run from its build or unpacked folder);
//  - else, for an installed copy (the defaults lie in "../share/melvanta"
//    beside the executable's folder), the per-user data folder;
//  - else the executable's folder, where the start-up check then reports
//    the missing files.
class ProgramFolder
{
public:
    static QString path() { return choice().folder; }
    static FolderChoice choice();
    // The rules above, from the facts they depend on.
    static FolderChoice choose(const QString& namedHome, const QString& executableFolder, const QString& perUserFolder);
    // "dir" and "dir/" both give "dir/".
    static QString withTrailingSeparator(const QString& folder);
    static QString file(const QString& name) { return path() + name; }
    static QString helpFile() { return choice().shippedFolder + QLatin1String(kHelpFileName); }
    static QString sound(const QString& name);
    static QString picture(const QString& name);
};

} // namespace melvanta
