#pragma once

#include "core/StageSettings.h"

#include <QString>

#include <optional>

namespace melvanta {

// A stage kept in the database: its settings and its dynamic text.
struct StoredStage
{
    StageSettings settings;
    QString movetext;
};

// The first stage called `name` in `deskclock` of the database at
// `databasePath` (in ID order); nothing when there is none or the database
// cannot be read. Values that do not read keep their first-run defaults.
std::optional<StoredStage> loadStoredStage(const QString& databasePath, const QString& name);

} // namespace melvanta
