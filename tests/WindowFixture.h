#pragma once

#include "core/CurrentStage.h"
#include "core/ProgramFolder.h"
#include "display/ClockWindow.h"
#include "storage/ProgramStores.h"

// A clock window with stores and a current stage of its own, in the program
// folder of the test's sandbox (make the TestSandbox first).
struct WindowFixture
{
    melvanta::ProgramStores stores{melvanta::ProgramFolder::path()};
    melvanta::CurrentStage stage;
    melvanta::ClockWindow window{stores, stage};
};
