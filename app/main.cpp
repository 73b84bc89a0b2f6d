#include "app/widgets/MainWindow.h"
#include "common/AppPaths.h"
#include "platform/OrderlyEnd.h"
#include "platform/serial/SerialPortLink.h"
#include "platform/serial/SystemSerialPorts.h"
#include "platform/widgets/Environment.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnby"));
    QApplication::setQuitOnLastWindowClosed(true);

    const tarnby::AppPaths paths = tarnby::AppPaths::ofRunningProgram();
    tarnby::SystemClock clock;
    tarnby::QtUserPrompts prompts;
    tarnby::Environment environment{paths, clock, prompts,
                                    [paths]() {
                                        return std::unique_ptr<tarnby::SerialLink>(
                                            std::make_unique<tarnby::SerialPortLink>(
                                                [paths](int n) { return paths.portLink(n); }));
                                    },
                                    tarnby::systemSerialPorts};

    tarnby::MainWindow mainWindow(environment);
    tarnby::LoggingSession& session = mainWindow.session();
    tarnby::OrderlyEnd orderlyEnd; // SIGTERM, SIGINT, SIGHUP
    QObject::connect(&orderlyEnd, &tarnby::OrderlyEnd::endRequested, &session,
                     &tarnby::LoggingSession::requestEnd);
    session.startUp();
    if (session.endRequested()) {
        // Asked to end while start-up still had a message or the setup window open: the
        // event loop would start afresh, so end here.
        mainWindow.endOfRun();
        return 0;
    }
    mainWindow.show();
    const int status = app.exec();
    mainWindow.endOfRun();
    return status;
}
