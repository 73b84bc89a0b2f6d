// tarnby-board: a simulated sensor board on a pseudo-terminal, for the demo and the
// end-to-end tests. Run with --help for the options.

#include "platform/TerminationSignals.h"
#include "tools/BoardOptions.h"
#include "tools/BoardSender.h"
#include "tools/PtyPort.h"
#include "tools/SendStats.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

using namespace tarnby::board;

namespace {

void complain(const QString& text) {
    std::fprintf(stderr, "tarnby-board: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnby-board"));

    QString message;
    bool exitNow = false;
    const std::optional<BoardOptions> options =
        parseBoardOptions(app.arguments(), &message, &exitNow);
    if (!options) {
        if (exitNow) {
            std::fputs(message.toLocal8Bit().constData(), stdout);
            return 0;
        }
        complain(message);
        return 2;
    }
    // SIGTERM, SIGINT and SIGHUP end the event loop, so the board removes its link and writes
    // its statistics on the way out like on any other exit.
    const tarnby::TerminationSignals termination;
    if (!termination.error().isEmpty()) {
        complain(termination.error());
        return 1;
    }
    QObject::connect(&termination, &tarnby::TerminationSignals::received, &app,
                     &QCoreApplication::quit);
    // A write to a reader that has gone fails with EPIPE instead of ending the board.
    std::signal(SIGPIPE, SIG_IGN);
    const std::unique_ptr<PtyPort> port = PtyPort::open(options->linkPath(), &message);
    if (!port) {
        complain(message);
        return 1;
    }

    BoardSender sender(*options, *port);
    QObject::connect(&sender, &BoardSender::finished, &app, &QCoreApplication::quit);
    sender.start();
    const int status = QCoreApplication::exec();

    if (!options->statsFile.isEmpty() && !writeStatsFile(options->statsFile, sender.stats())) {
        complain(QStringLiteral("cannot write %1").arg(options->statsFile));
        return 1;
    }
    return status;
}
