#pragma once
// The one way the board's port is set up from prog.cfg, so the logging session and the
// calibration window can never read it by different rules. A refusal is a failed open to the
// caller; boardPortProblem() says why.

#include "config/ProgSettings.h"
#include "platform/SerialLink.h"

#include <QString>

namespace tarnby {

bool applyBoardPortSettings(SerialLink& link, const LineChoice& line);

// applyBoardPortSettings(), then open.
bool openBoardPort(SerialLink& link, const LineChoice& line);

// Why the port did not open, for the user: the line's own problem, or the link's ("no such
// device").
QString boardPortProblem(const SerialLink& link, const LineChoice& line);

} // namespace tarnby
