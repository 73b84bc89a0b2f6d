#pragma once
// The program's answer to SIGTERM, SIGINT and SIGHUP: an orderly end of the event loop, so the
// program appends its watt-hour line as it does for Exit.

#include "platform/TerminationSignals.h"

#include <QObject>

namespace tarnby {

class OrderlyEnd : public QObject {
    Q_OBJECT
public:
    // Warns on stderr when the signals cannot be caught; the program runs on without them.
    explicit OrderlyEnd(QObject* parent = nullptr);

signals:
    // A termination signal arrived; every event loop has been told to end.
    void endRequested();

private:
    TerminationSignals termination_;
};

} // namespace tarnby
