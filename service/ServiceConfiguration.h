#pragma once
// What the service needs of prog.cfg and settings.cfg before it logs, decided once from the
// readers' typed values: both files readable; every key of prog.cfg the logging session uses
// present (without one the session leaves the port shut); Port a port number, not "0" (a
// service with no port would log nothing); BR a baud rate; LogDelay a number. Anything else
// the session reports itself when it loads the files.

#include "common/AppPaths.h"

#include <QString>
#include <QStringList>

namespace tarnby {

struct ServiceConfiguration {
    // Why the service cannot log with these files, naming the file and the key; empty when it
    // can.
    QString problem;
    // What the service tells but runs with ("logging is off" when LogOn is not 1).
    QStringList warnings;
};

ServiceConfiguration checkServiceConfiguration(const AppPaths& paths);

} // namespace tarnby
