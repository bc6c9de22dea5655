#include "core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace melvanta {

QString ProgramFolder::path()
{
    const QString home = qEnvironmentVariable("MELVANTA_HOME");
    if (!home.isEmpty())
        return withTrailingSeparator(QDir::fromNativeSeparators(home));
    if (QCoreApplication::instance())
        return withTrailingSeparator(QCoreApplication::applicationDirPath());
    return withTrailingSeparator(QDir::currentPath());
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
