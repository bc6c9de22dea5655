#include "platform/DisplayProbe.h"

namespace melvanta {

bool displayAvailable(QString*)
{
    return true; // the desktop is always there on Windows and macOS
}

} // namespace melvanta
