#include "storage/UserDataFolder.h"

#include "core/ProgramFolder.h"
#include "storage/ProfileFile.h"
#include "storage/StartupGate.h"
#include "timing/RecordDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace melvanta {

namespace {

// The user owns the copies, whatever the shipped files' permissions are.
constexpr QFile::Permissions kFilePermissions =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;

QString partName(const QString& target)
{
    return target + QStringLiteral(".part-") + QString::number(QCoreApplication::applicationPid());
}

bool copyFile(const QString& from, const QString& to, QString* error)
{
    QFile::remove(to);
    QFile source(from);
    if (!source.copy(to)) {
        *error = source.errorString();
        return false;
    }
    QFile::setPermissions(to, kFilePermissions);
    return true;
}

bool copyTree(const QString& from, const QString& to, QString* error)
{
    if (!QDir().mkpath(to)) {
        *error = QStringLiteral("cannot create %1").arg(to);
        return false;
    }
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const bool copied =
            entry.isDir() ? copyTree(entry.filePath(), target, error) : copyFile(entry.filePath(), target, error);
        if (!copied)
            return false;
    }
    return true;
}

// Copies next to the target first and renames it into place, so that a
// start broken off halfway, or a second copy starting at the same moment,
// never leaves a half-filled file or folder under the real name.
bool copyIntoPlace(const QString& from, const QString& to, QString* error)
{
    const QString part = partName(to);
    const bool isFolder = QFileInfo(from).isDir();
    if (isFolder)
        QDir(part).removeRecursively();
    const bool copied = isFolder ? copyTree(from, part, error) : copyFile(from, part, error);
    const bool placed = copied && (isFolder ? QDir().rename(part, to) : QFile::rename(part, to));
    if (!placed) {
        if (isFolder)
            QDir(part).removeRecursively();
        else
            QFile::remove(part);
    }
    if (placed || QFileInfo::exists(to))
        return true; // another copy of the program filled it first
    if (copied)
        *error = QStringLiteral("cannot rename %1 to %2").arg(part, to);
    return false;
}

} // namespace

UserDataFolder::UserDataFolder(const QString& folder, const QString& shippedFolder)
    : m_folder(ProgramFolder::withTrailingSeparator(folder)),
      m_shipped(ProgramFolder::withTrailingSeparator(shippedFolder))
{}

QStringList UserDataFolder::itemNames()
{
    return {QLatin1String(kDatabaseFileName), QLatin1String(kProfileFileName), QLatin1String(kSoundsFolderName),
            QLatin1String(kPictureFolderName)};
}

FolderPreparation UserDataFolder::prepare(const QDateTime& now) const
{
    FolderPreparation result;
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(m_folder));
    QTemporaryFile probe(m_folder + QStringLiteral("write-check-XXXXXX"));
    if (!QDir().mkpath(m_folder) || !probe.open()) {
        result.usable = false;
        result.message = QStringLiteral("无法使用数据文件夹“%1”：不能在那里建立或写入文件。\n"
                                        "请检查该位置是否可写，或用环境变量 MELVANTA_HOME 指定另一个文件夹。")
                             .arg(shown);
        return result;
    }
    probe.close();

    const QString database = m_folder + QLatin1String(kDatabaseFileName);
    QStringList notes;
    if (RecordDatabase::isDamaged(database)) {
        result.damagedAside = RecordDatabase::setAside(database, now);
        notes << (result.damagedAside.isEmpty()
                      ? QStringLiteral("数据文件夹“%1”中的“%2”已损坏，且无法改名保存，计时记录将不能保存。")
                            .arg(shown, QLatin1String(kDatabaseFileName))
                      : QStringLiteral("数据文件夹“%1”中的“%2”已损坏，已改名保存为“%3”，并换上了一个新的数据库。")
                            .arg(shown, QLatin1String(kDatabaseFileName), QFileInfo(result.damagedAside).fileName()));
    }

    // A damaged profile here would stop the start with a call to reinstall,
    // which cannot mend a user's folder: it is kept aside and the shipped one
    // put in its place like any missing item.
    const QString profileAside = setAsideOversizedProfile(m_folder, now);
    if (!profileAside.isEmpty())
        notes << QStringLiteral("数据文件夹“%1”中的“%2”已损坏，已改名保存为“%3”，并换上了默认的设置。")
                     .arg(shown, QLatin1String(kProfileFileName), QFileInfo(profileAside).fileName());

    for (const QString& name : itemNames()) {
        if (QFileInfo::exists(m_folder + name) || !QFileInfo::exists(m_shipped + name))
            continue;
        QString error;
        if (!copyIntoPlace(m_shipped + name, m_folder + name, &error)) {
            result.usable = false;
            result.message = QStringLiteral("无法把“%1”复制到数据文件夹“%2”：%3").arg(name, shown, error);
            return result;
        }
        result.filled << name;
    }
    result.message = notes.join(QLatin1Char('\n'));
    return result;
}

} // namespace melvanta
