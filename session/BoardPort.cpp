#include "session/BoardPort.h"

#include "common/NumberText.h"

namespace tarnby {

bool applyBoardPortSettings(SerialLink& link, const QString& port, const QString& baudRate) {
    const auto portNumber = readRoundedWholeNumber(port);
    if (!portNumber || !link.setPortNumber(*portNumber))
        return false;
    // Not a whole number: "0,N,8,1", which every link refuses.
    const int baud = readExactWholeNumber(baudRate).value_or(0);
    return link.setSettings(QString::number(baud) + QStringLiteral(",N,8,1"));
}

bool openBoardPort(SerialLink& link, const QString& port, const QString& baudRate) {
    return applyBoardPortSettings(link, port, baudRate) && link.open();
}

QString boardPortProblem(const SerialLink& link, const QString& port) {
    if (!readRoundedWholeNumber(port))
        return QStringLiteral("\"%1\" is not a port number").arg(port);
    return link.errorString();
}

} // namespace tarnby
