#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace melvanta {

// What preparing a per-user data folder found and did.
struct FolderPreparation
{
    bool usable = true;
    // Why the folder cannot be used (usable false), or, when it can, what
    // was mended on the way; empty when there is nothing to tell.
    QString message;
    QStringList filled;   // the items copied in from the shipped defaults
    QString damagedAside; // where a damaged database was kept, if one was
};

// An installed copy's per-user data folder. Its first start fills it from
// the shipped defaults; later starts, and upgrades that ship new defaults,
// only add what is missing and never overwrite what the user has. A
// database SQLite calls damaged, or an oversized profile file, is kept aside
// under a time-stamped name and replaced by the shipped one.
class UserDataFolder
{
public:
    UserDataFolder(const QString& folder, const QString& shippedFolder);

    FolderPreparation prepare(const QDateTime& now = QDateTime::currentDateTime()) const;

    // The items the folder is filled with: "DeskData.db", "TimeData.db",
    // "sounds", "picture".
    static QStringList itemNames();

private:
    QString m_folder;
    QString m_shipped;
};

} // namespace melvanta
