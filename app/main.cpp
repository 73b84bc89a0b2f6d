#include "app/KestrinLogger.h"
#include "app/OrderlyEnd.h"
#include "common/AppPaths.h"
#include "platform/Environment.h"
#include "platform/SerialPortLink.h"

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
                                            std::make_unique<tarnby::SerialPortLink>(paths));
                                    }};

    tarnby::KestrinLogger logger(environment);
    tarnby::OrderlyEnd orderlyEnd; // SIGTERM, SIGINT, session end
    logger.startUp();
    logger.show();
    const int status = app.exec();
    logger.endOfRun();
    return status;
}
