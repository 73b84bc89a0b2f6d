#include "platform/OrderlyEnd.h"

#include <QCoreApplication>

namespace tarnby {

OrderlyEnd::OrderlyEnd(QObject* parent) : QObject(parent) {
    if (!termination_.error().isEmpty())
        qWarning("%s", qPrintable(termination_.error()));
    connect(&termination_, &TerminationSignals::received, this, [this] {
        emit endRequested();
        // exit(), not quit(): quit() does nothing before the main event loop has started, and
        // start-up may be showing a message box in a loop of its own.
        QCoreApplication::exit(0);
    });
}

} // namespace tarnby
