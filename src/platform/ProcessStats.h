#pragma once

#include <QtGlobal>

namespace melvanta {

// Peak resident memory of this process in kB, where the system tells it (0 elsewhere).
qint64 peakResidentKb();

} // namespace melvanta
