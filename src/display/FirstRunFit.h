#pragma once

#include "core/StageSettings.h"

#include <QSize>

namespace melvanta {

// A fresh installation's stage on the screen it first meets: when its
// elements, one above the other in the first-run arrangement, would not fit
// (a 1024 x 768 projector), every font size of the stage shrinks by the same
// factor until they do. A stage that fits comes back as it was.
StageSettings fitFirstRunStage(const StageSettings& stage, const QSize& screenPixels);

} // namespace melvanta
