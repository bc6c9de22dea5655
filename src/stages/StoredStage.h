#pragma once

#include "core/StageSettings.h"

#include <QString>

namespace melvanta {

// A stage kept in the database: its settings and its dynamic text.
struct StoredStage
{
    StageSettings settings;
    QString movetext;
};

} // namespace melvanta
