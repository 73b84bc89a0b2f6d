#pragma once
// What every window is given from outside: its application folder, the clock, the prompts and a
// way to make serial links. The program passes the real ones; tests pass fakes.

#include "common/AppPaths.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/widgets/UserPrompts.h"

namespace tarnby {

struct Environment {
    AppPaths paths;
    const Clock& clock;
    UserPrompts& prompts;
    SerialLinkFactory makeSerialLink;
};

} // namespace tarnby
