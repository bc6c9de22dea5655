#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace melvanta {

class RegistryStore;

// This release's version number: major + minor / 10.
inline constexpr double kProgramVersion = 4.0;

inline constexpr char kNewerSettingsMessage[] = "请使用最新版本";
inline constexpr char kIncompleteInstallMessage[] = "保持程序完整，请重新安装";

struct GateOutcome
{
    bool pass = true;
    QString message; // shown to the user when the gate fails
};

// The settings version `vision`: stored settings of a newer release stop
// the start; an older or missing version clears the stored stage (the next
// load yields the first-run defaults) and records this release's version.
GateOutcome checkSettingsVersion(RegistryStore& store, double programVersion = kProgramVersion);

// The data files that must lie in the program folder and are missing; the
// help page lies in `shippedFolder` (the program folder when empty).
QStringList missingDataFiles(const QString& programFolder, const QString& shippedFolder = QString());

// A profile file is small by nature: one over this size is damaged, or not
// this program's at all.
inline constexpr qint64 kLargestProfileBytes = 1024 * 1024;

// Sets a profile file over kLargestProfileBytes aside, renamed with a time
// stamp ("TimeData.db.damaged-yyyyMMdd-hhmmss"), so that nothing is lost and
// nothing reads it; returns the new name, empty when the file was fine.
QString setAsideOversizedProfile(const QString& programFolder, const QDateTime& now = QDateTime::currentDateTime());

// The whole start-up gate: version first, then the data files (an oversized
// profile file counts as damaged: it is set aside and the start stops).
GateOutcome runStartupGate(RegistryStore& store, const QString& programFolder, double programVersion = kProgramVersion,
                           const QString& shippedFolder = QString());

} // namespace melvanta
