#include "storage/StartupGate.h"

#include "core/Encodings.h"
#include "core/ProgramFolder.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"

#include <QFile>
#include <QFileInfo>

namespace melvanta {

GateOutcome checkSettingsVersion(RegistryStore& store, double programVersion)
{
    double stored = vbVal(store.text(QString::fromLatin1(RegistryValue::vision)).value_or(QString()));
    if (stored == 0)
        stored = 1.0;
    if (stored > programVersion)
        return {false, QString::fromUtf8(kNewerSettingsMessage)};
    if (stored < programVersion) {
        ClearStageSettings(store);
        store.setText(QString::fromLatin1(RegistryValue::vision), QString::number(programVersion));
    }
    return {};
}

QStringList missingDataFiles(const QString& programFolder, const QString& shippedFolder)
{
    const QString folder = ProgramFolder::withTrailingSeparator(programFolder);
    const QString shipped = shippedFolder.isEmpty() ? folder : ProgramFolder::withTrailingSeparator(shippedFolder);
    QStringList missing;
    for (const char* name : {kDatabaseFileName, kHelpFileName, kProfileFileName}) {
        const QString& where = qstrcmp(name, kHelpFileName) == 0 ? shipped : folder;
        if (!QFileInfo(where + QLatin1String(name)).isFile())
            missing << QLatin1String(name);
    }
    return missing;
}

QString setAsideOversizedProfile(const QString& programFolder, const QDateTime& now)
{
    const QString path = ProgramFolder::withTrailingSeparator(programFolder) + QLatin1String(kProfileFileName);
    if (QFileInfo(path).size() <= kLargestProfileBytes)
        return QString();
    const QString stem = path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    return QFile::rename(path, aside) ? aside : QString();
}

GateOutcome runStartupGate(RegistryStore& store, const QString& programFolder, double programVersion,
                           const QString& shippedFolder)
{
    GateOutcome outcome = checkSettingsVersion(store, programVersion);
    if (!outcome.pass)
        return outcome;
    if (!setAsideOversizedProfile(programFolder).isEmpty())
        return {false, QString::fromUtf8(kIncompleteInstallMessage)};
    if (!missingDataFiles(programFolder, shippedFolder).isEmpty())
        return {false, QString::fromUtf8(kIncompleteInstallMessage)};
    return {};
}

} // namespace melvanta
