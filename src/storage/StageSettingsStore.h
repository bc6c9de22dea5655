#pragma once

#include "core/StageSettings.h"

#include <QDate>

namespace melvanta {

class RegistryStore;

// The whole-record operations on the current stage in the per-user store.

// Writes the 51 values in storage order (`tixingtime` as a number, the rest
// as text) in one write. False when the store could not be written.
bool SaveStageSettings(RegistryStore& store, const StageSettings& settings);

// Reads the 51 values. Defaults are decided once for the whole record: a
// `checkone` that is not exactly 7 characters long means no valid record is
// stored and every first-run default is used (`today` as `time_date`).
// Otherwise the values are taken one by one: a missing text reads as empty,
// and a missing or unreadable time, date or number keeps its first-run
// default.
StageSettings LoadStageSettings(const RegistryStore& store, const QDate& today = QDate::currentDate());

// Whether the store holds a whole stage record (one that LoadStageSettings
// takes rather than replacing it by the defaults).
bool HoldsStageSettings(const RegistryStore& store);

// Deletes the 51 values, so that the next load yields the defaults.
bool ClearStageSettings(RegistryStore& store);

} // namespace melvanta
