#include "storage/ProgramStores.h"

#include "core/ProgramFolder.h"

namespace melvanta {

ProgramStores::ProgramStores(const QString& programFolder)
    : m_folder(ProgramFolder::withTrailingSeparator(programFolder)), m_registry(std::make_unique<RegistryStore>()),
      m_profile(m_folder + QLatin1String(kProfileFileName))
{}

QString ProgramStores::databasePath() const
{
    return m_folder + QLatin1String(kDatabaseFileName);
}

} // namespace melvanta
