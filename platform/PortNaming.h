#pragma once
// Which device a port number names. Port numbers are those of the board's original platform
// (COM1, COM2, ...):
// - Linux: <application folder>/ports/COM<N> when that entry exists (a symbolic link to
//   /dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal), otherwise /dev/ttyS<N-1>.
// - Windows: COM<N>.

#include <QString>

namespace tarnby {

// `portLink` is where the application folder links port N (<folder>/ports/COM<N>).
QString deviceForPort(const QString& portLink, int portNumber);

} // namespace tarnby
