#pragma once
// The one way the board's port is set up from the texts of prog.cfg, so the logging session
// and the calibration window can never read them by different rules.
//
// - `port` is a number rounded to a whole one; the link refuses numbers below 1.
// - `baudRate` must be a whole number exactly ("4800.5" is no baud rate); the line settings
//   are "<baud>,N,8,1".
// A refusal is a failed open to the caller; link.errorString() says why.

#include "platform/SerialLink.h"

#include <QString>

namespace tarnby {

bool applyBoardPortSettings(SerialLink& link, const QString& port, const QString& baudRate);

// applyBoardPortSettings(), then open.
bool openBoardPort(SerialLink& link, const QString& port, const QString& baudRate);

// Why the port did not open, for the user ("no such device").
QString boardPortProblem(const SerialLink& link, const QString& port);

} // namespace tarnby
