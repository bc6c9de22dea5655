#pragma once

#include <QtGlobal>

namespace melvanta {

// Milliseconds on the system's tick count: never goes backwards, ignores
// steps of the wall clock and keeps counting while the machine sleeps, so a
// run that spans a suspend has counted the sleep when it wakes.
qint64 bootClockMs();

} // namespace melvanta
