#include "platform/GlobalHotkeys.h"

namespace melvanta {

// Windows would register the keys with RegisterHotKey and read WM_HOTKEY in a
// native event filter; until then no system-wide keys here.
std::unique_ptr<GlobalHotkeys> GlobalHotkeys::create()
{
    return std::make_unique<NullGlobalHotkeys>();
}

} // namespace melvanta
