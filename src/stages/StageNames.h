#pragma once

#include <QString>
#include <QStringList>

namespace melvanta {

// The names of the stored stages in "DeskData.db" (`deskclock`), in ID
// order, as the stage submenu lists them. A missing, damaged or locked
// database gives no names; the file is only read, never created.
QStringList readStageNames(const QString& databasePath);

} // namespace melvanta
