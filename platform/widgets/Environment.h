#pragma once
// What every window is given from outside: its application folder, the clock, the prompts, a
// way to make serial links, the list of the system's serial ports and a way to make
// connections to an MQTT broker. The program passes the
// real ones (platform/serial/); tests pass fakes.

#include "common/AppPaths.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/widgets/UserPrompts.h"
#include "publish/MqttConnection.h"

#include <QStringList>
#include <functional>

namespace tarnby {

struct Environment {
    AppPaths paths;
    const Clock& clock;
    UserPrompts& prompts;
    SerialLinkFactory makeSerialLink;
    // The serial ports the system reports, for the setup window: device paths, each with its
    // description in brackets when it has one.
    std::function<QStringList()> listSerialPorts;
    MqttConnectionFactory makeMqttConnection;
};

} // namespace tarnby
