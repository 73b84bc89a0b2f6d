#pragma once
// The four prog.cfg settings the history window takes at each opening: LogDelay (the logging
// interval, read as the Start button reads it: a number, clamped to 10 to 600 s), SV (system
// voltage; the volts scale is SV x 70 / 48), MA (maximum amps, to the nearest whole number, a
// half to the even neighbour, within 16 bits) and WSUnits (wind speed units, any text).
//
// What cannot be read is replaced, and the returned message names the file, each problem and
// what is used instead: SV 24 (a 35 V scale), MA 20, no units; a LogDelay that is not a number
// leaves no interval, so no watt-hour figure is shown (the setup window starts from 24 V and
// 20 A too).

#include "history/HistoryState.h"

#include <QString>

namespace tarnby {

// Reads prog.cfg at `path` into `state`. Returns the message for the user, empty when every
// setting was read.
QString readHistorySettings(const QString& path, HistoryState& state);

} // namespace tarnby
