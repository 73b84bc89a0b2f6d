// The desktop program. Its start, in order: the command line (--help, --version and a usage
// error are answered before any display is needed); the application folder; then either the
// history window alone, or the installed program's first filling of its folder, the folder's
// lock and the logger's main window.

#include "app/widgets/MainWindow.h"
#include "common/AppFolder.h"
#include "common/ProgramOptions.h"
#include "history/widgets/HistoryWindow.h"
#include "platform/InstanceLock.h"
#include "platform/OrderlyEnd.h"
#include "platform/mqtt/MosquittoConnection.h"
#include "platform/serial/SerialPortLink.h"
#include "platform/serial/SystemSerialPorts.h"
#include "platform/widgets/Environment.h"

#include <QApplication>
#include <cstdio>

namespace {

using namespace tarnby;

// The folder could not be set up or locked, or another Tarnby program holds it.
constexpr int ExitNotStarted = 1;

Environment realEnvironment(const AppPaths& paths, const Clock& clock, UserPrompts& prompts) {
    return {
        paths,
        clock,
        prompts,
        [paths]() {
            return std::unique_ptr<SerialLink>(
                std::make_unique<SerialPortLink>([paths](int n) { return paths.portLink(n); }));
        },
        systemSerialPorts,
        [] { return std::unique_ptr<MqttConnection>(std::make_unique<MosquittoConnection>()); }};
}

// Says why the program does not run: on stderr for whoever started it, in a message box for
// the person at the screen.
int refuseToStart(UserPrompts& prompts, const QString& reason) {
    std::fprintf(stderr, "tarnby: %s\n", qPrintable(reason));
    prompts.showMessage(nullptr, reason);
    return ExitNotStarted;
}

// The history window on its own: no lock, no port, nothing set up in the folder, so another
// program may be logging to it meanwhile. Closing the window ends the program.
int runHistoryWindow(const Environment& environment, const OrderlyEnd& orderlyEnd) {
    bool endRequested = false;
    const QObject scope; // the connection below ends with this function
    QObject::connect(&orderlyEnd, &OrderlyEnd::endRequested, &scope,
                     [&endRequested] { endRequested = true; });
    HistoryState state;
    HistoryWindow historyWindow(environment, state, nullptr);
    if (endRequested) // during a message of the window's opening
        return 0;
    QObject::connect(&historyWindow, &QDialog::finished, qApp, &QCoreApplication::quit);
    historyWindow.show();
    return QApplication::exec();
}

int runLogger(const Environment& environment, const OrderlyEnd& orderlyEnd) {
    MainWindow mainWindow(environment);
    LoggingSession& session = mainWindow.session();
    QObject::connect(&orderlyEnd, &OrderlyEnd::endRequested, &session, &LoggingSession::requestEnd);
    session.startUp();
    if (session.endRequested()) {
        // Asked to end while start-up still had a message or the setup window open: the
        // event loop would start afresh, so end here.
        mainWindow.endPublishing();
        mainWindow.endOfRun();
        return 0;
    }
    mainWindow.show();
    const int status = QApplication::exec();
    // Publishing ends first: the session keeps logging while it waits, so the watt-hour line
    // is the last thing the run writes.
    mainWindow.endPublishing();
    mainWindow.endOfRun();
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    const ProgramOptions options = parseProgramOptions(Program::Desktop, argc, argv);
    if (const int status = answerWithoutRunning(Program::Desktop, options); status >= 0)
        return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnby"));
    QApplication::setQuitOnLastWindowClosed(true);
    // SIGTERM, SIGINT and SIGHUP end every wait from here on in order, a message box's too.
    const OrderlyEnd orderlyEnd;

    const FolderChoice folder =
        chooseAppFolder(Program::Desktop, options.folder, FolderContext::ofRunningProgram());
    SystemClock clock;
    QtUserPrompts prompts;
    const Environment environment = realEnvironment(AppPaths(folder.folder), clock, prompts);
    if (options.history)
        return runHistoryWindow(environment, orderlyEnd);

    if (folder.desktopDefault) {
        if (const QString error = fillNewFolder(folder.folder); !error.isEmpty())
            return refuseToStart(prompts, error);
    }
    // Held until the watt-hour line of the end of the run is written.
    const InstanceLock lock(folder.folder);
    if (lock.state() != InstanceLock::State::Held)
        return refuseToStart(prompts, lock.error());
    return runLogger(environment, orderlyEnd);
}
