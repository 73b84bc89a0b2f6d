#pragma once
// The program's answer to SIGTERM, SIGINT and SIGHUP: an orderly end of the event loop, so the
// program appends its watt-hour line as it does for Exit. With HangUp::Reloads, SIGHUP asks
// for the settings to be read again instead.

#include "platform/TerminationSignals.h"

#include <QObject>

namespace tarnby {

class OrderlyEnd : public QObject {
    Q_OBJECT
public:
    // Warns on stderr when the signals cannot be caught; the program runs on without them.
    explicit OrderlyEnd(TerminationSignals::HangUp hangUp = TerminationSignals::HangUp::Ends,
                        QObject* parent = nullptr);

signals:
    // A termination signal arrived; every event loop has been told to end.
    void endRequested();
    // SIGHUP, with HangUp::Reloads.
    void reloadRequested();

private:
    TerminationSignals termination_;
};

} // namespace tarnby
