// Lays out the data files of a fresh program folder: the empty database with
// both tables and the profile file with the documented defaults. Files that
// already exist are left as they are, so a rebuild never loses records.
#include "core/ProgramFolder.h"
#include "stages/DatabaseSchema.h"
#include "storage/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace melvanta;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: melvanta-datafiles PROGRAM_FOLDER\n";
        return 2;
    }
    const QString folder = ProgramFolder::withTrailingSeparator(app.arguments().at(1));
    QDir().mkpath(folder);

    QString error;
    if (!DatabaseSchema::create(folder + QLatin1String(kDatabaseFileName), &error)) {
        QTextStream(stderr) << "cannot create the database: " << error << "\n";
        return 1;
    }

    const QString profilePath = folder + QLatin1String(kProfileFileName);
    if (!QFileInfo::exists(profilePath)) {
        ProfileFile profile(profilePath);
        const struct
        {
            const char* section;
            const char* key;
            const char* value;
        } defaults[] = {
            {"Marquee", "Mode", "2"},
            // The dynamic-text line is 1200 pixels wide at 96 dpi, so that a line
            // of text fits on a fresh installation (a missing key still reads 1000).
            {"Marquee", "Width", "18000"},
            {"Marquee", "MarQueespeed", "1"},
            {"Marquee", "colckbigtext", "0"},
            {"Marquee", "checkcycle", "0"},
            {"pictureset", "Option", "0"},
            {"pictureset", "Width", "800"},
            {"pictureset", "Height", "600"},
            {"pictureset", "Delaytime", "2"},
            {"Hotkey", "opentogetherstop", "0"},
            {"Hotkey", "often", "00"},
        };
        for (const auto& entry : defaults) {
            if (!profile.write(QLatin1String(entry.section), QLatin1String(entry.key), QLatin1String(entry.value))) {
                QTextStream(stderr) << "cannot write " << profilePath << "\n";
                return 1;
            }
        }
    }
    return 0;
}
