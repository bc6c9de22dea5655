#pragma once

#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QString>

#include <memory>

namespace melvanta {

// The stores of one program folder, opened once and shared by the windows,
// the menus and the engine: the per-user store, the profile file
// "TimeData.db" and the place of the database "DeskData.db".
class ProgramStores
{
public:
    // The stores of `programFolder` (with or without a trailing separator),
    // with the per-user store at its usual place.
    explicit ProgramStores(const QString& programFolder);
    ProgramStores(const ProgramStores&) = delete;
    ProgramStores& operator=(const ProgramStores&) = delete;

    RegistryStore& registry() { return *m_registry; }
    const RegistryStore& registry() const { return *m_registry; }
    ProfileFile& profile() { return m_profile; }
    const ProfileFile& profile() const { return m_profile; }
    // The profile as it is now, parsed once, for passes that read many values.
    ProfileSnapshot profileSnapshot() const { return ProfileSnapshot(m_profile.filePath()); }

    QString folder() const { return m_folder; }
    QString databasePath() const;

private:
    QString m_folder;
    std::unique_ptr<RegistryStore> m_registry;
    ProfileFile m_profile;
};

} // namespace melvanta
