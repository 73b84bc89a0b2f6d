#include "app/widgets/KestrinLogger.h"
#include "common/AppPaths.h"
#include "platform/OrderlyEnd.h"
#include "platform/SerialPortLink.h"
#include "platform/widgets/Environment.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnby"));
    QApplication::setQuitOnLastWindowClosed(true);

    const tarnby::AppPaths paths = tarnby::AppPaths::ofRunningProgram();
    tarnby::SystemClock clock;
    tarnby::QtUserPrompts prompts;
    tarnby::Environment environment{paths, clock, prompts, [paths]() {
                                        return std::unique_ptr<tarnby::SerialLink>(
                                            std::make_unique<tarnby::SerialPortLink>(
                                                [paths](int n) { return paths.portLink(n); }));
                                    }};

    tarnby::KestrinLogger logger(environment);
    tarnby::LoggingSession& session = logger.session();
    tarnby::OrderlyEnd orderlyEnd; // SIGTERM, SIGINT, SIGHUP
    QObject::connect(&orderlyEnd, &tarnby::OrderlyEnd::endRequested, &session,
                     &tarnby::LoggingSession::requestEnd);
    session.startUp();
    if (session.endRequested()) {
        // Asked to end while start-up still had a message or the setup window open: the
        // event loop would start afresh, so end here.
        logger.endOfRun();
        return 0;
    }
    logger.show();
    const int status = app.exec();
    logger.endOfRun();
    return status;
}
