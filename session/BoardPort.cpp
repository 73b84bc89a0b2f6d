#include "session/BoardPort.h"

namespace tarnby {

bool applyBoardPortSettings(SerialLink& link, const LineChoice& line) {
    return line.line && link.configure(*line.line);
}

bool openBoardPort(SerialLink& link, const LineChoice& line) {
    return applyBoardPortSettings(link, line) && link.open();
}

QString boardPortProblem(const SerialLink& link, const LineChoice& line) {
    return line.line ? link.errorString() : line.problem;
}

} // namespace tarnby
