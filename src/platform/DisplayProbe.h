#pragma once

#include <QString>

namespace melvanta {

// Whether a window can be shown at all. On X11 this connects to the display
// named by DISPLAY; `reason` says in one line why not.
bool displayAvailable(QString* reason);

} // namespace melvanta
