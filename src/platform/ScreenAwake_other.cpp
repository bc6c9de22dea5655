#include "platform/ScreenAwake.h"
#include "platform/NullScreenAwake.h"

namespace melvanta {

std::unique_ptr<ScreenAwake> ScreenAwake::create()
{
    return std::make_unique<NullScreenAwake>();
}

} // namespace melvanta
