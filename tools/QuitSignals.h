#pragma once
// SIGTERM, SIGINT and SIGHUP end the event loop, so the board removes its link and writes its
// statistics on the way out like on any other exit. SIGPIPE is ignored.

#include <QObject>

namespace tarnby::board {

// Installs the handlers; call once, after the QCoreApplication exists.
bool quitOnSignals(QString* error);

} // namespace tarnby::board
