#pragma once
// The serial ports the system reports, for the setup window's list.

#include <QStringList>

namespace tarnby {

// Device paths, each with the system's description in brackets when it has one
// ("/dev/ttyUSB0 (FT232R USB UART)"). Pseudo-terminals are not listed.
QStringList systemSerialPorts();

} // namespace tarnby
