#include "platform/OrderlyEnd.h"

#include <QCoreApplication>

namespace tarnby {

OrderlyEnd::OrderlyEnd(TerminationSignals::HangUp hangUp, QObject* parent)
    : QObject(parent), termination_(hangUp) {
    if (!termination_.error().isEmpty())
        qWarning("%s", qPrintable(termination_.error()));
    connect(&termination_, &TerminationSignals::received, this, [this] {
        emit endRequested();
        // exit(), not quit(): quit() does nothing before the main event loop has started, and
        // start-up may be showing a message box in a loop of its own.
        QCoreApplication::exit(0);
    });
    connect(&termination_, &TerminationSignals::hangUpReceived, this, &OrderlyEnd::reloadRequested);
}

} // namespace tarnby
