#include "core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef MELVANTA_SHIPPED_FROM_BINDIR
#define MELVANTA_SHIPPED_FROM_BINDIR "../share/melvanta"
#endif

namespace melvanta {

FolderChoice ProgramFolder::choice()
{
    const QString home = qEnvironmentVariable("MELVANTA_HOME");
    if (!home.isEmpty())
        return choose(QDir::fromNativeSeparators(home), QString(), QString());
    if (!QCoreApplication::instance())
        return choose(QString(), QDir::currentPath(), QString());
    // The executable does not move while it runs, and the per-user folder
    // depends only on the environment it started with.
    static const FolderChoice installedOrBeside =
        choose(QString(), QCoreApplication::applicationDirPath(),
               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return installedOrBeside;
}

FolderChoice ProgramFolder::choose(const QString& namedHome, const QString& executableFolder,
                                   const QString& perUserFolder)
{
    if (!namedHome.isEmpty()) {
        const QString folder = withTrailingSeparator(namedHome);
        return {folder, folder, false};
    }
    const QString beside = withTrailingSeparator(executableFolder);
    const QString shipped =
        withTrailingSeparator(QDir::cleanPath(beside + QStringLiteral(MELVANTA_SHIPPED_FROM_BINDIR)));
    const bool ownProfile = QFileInfo(beside + QStringLiteral("TimeData.db")).isFile();
    if (!ownProfile && !perUserFolder.isEmpty() && QFileInfo(shipped + QLatin1String(kHelpFileName)).isFile())
        return {withTrailingSeparator(perUserFolder), shipped, true};
    return {beside, beside, false};
}

QString ProgramFolder::withTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('/');
}

QString ProgramFolder::sound(const QString& name)
{
    return path() + QLatin1String(kSoundsFolderName) + QLatin1Char('/') + name;
}

QString ProgramFolder::picture(const QString& name)
{
    return path() + QLatin1String(kPictureFolderName) + QLatin1Char('/') + name;
}

} // namespace melvanta
