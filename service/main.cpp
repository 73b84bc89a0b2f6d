// tarnbyd, the logger without a window. Its start, in order: the command line (--help,
// --version and a usage error are answered first); the application folder; the folder's lock;
// the configuration, which must let a service log; then the logging session until SIGTERM or
// SIGINT. SIGHUP reads the configuration again.
//
// Exit status: 0 after an orderly end; 1 when another Tarnby program holds the folder or the
// end's watt-hour line could not be written; 64 for a command line it cannot use; 78 for a
// configuration it cannot log with (restarting would not help).

#include "common/AppFolder.h"
#include "common/ProgramOptions.h"
#include "platform/InstanceLock.h"
#include "platform/OrderlyEnd.h"
#include "platform/mqtt/MosquittoConnection.h"
#include "platform/serial/SerialPortLink.h"
#include "service/ServiceConfiguration.h"
#include "service/ServiceFrontEnd.h"
#include "service/ServiceLog.h"
#include "tarnby/Version.h"

#include <QCoreApplication>

namespace {

using namespace tarnby;
using namespace Qt::StringLiterals;

constexpr int ExitNotStarted = 1;
constexpr int ExitConfiguration = 78;

SerialLinkFactory serialLinks(const AppPaths& paths) {
    return [paths]() -> std::unique_ptr<SerialLink> {
        return std::make_unique<SerialPortLink>([paths](int n) { return paths.portLink(n); });
    };
}

} // namespace

int main(int argc, char* argv[]) {
    const ProgramOptions options = parseProgramOptions(Program::Service, argc, argv);
    if (const int status = answerWithoutRunning(Program::Service, options); status >= 0)
        return status;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnbyd"));
    routeQtMessagesToServiceLog();
    // From here on SIGTERM and SIGINT end the program in order; SIGHUP reloads.
    const OrderlyEnd orderlyEnd(TerminationSignals::HangUp::Reloads);

    const FolderChoice folder =
        chooseAppFolder(Program::Service, options.folder, FolderContext::ofRunningProgram());
    // Held until the watt-hour line of the end is written.
    const InstanceLock lock(folder.folder);
    if (lock.state() != InstanceLock::State::Held) {
        serviceLog(lock.error());
        // A folder it cannot lock (missing, not writable) is the configuration's fault too.
        return lock.state() == InstanceLock::State::InUse ? ExitNotStarted : ExitConfiguration;
    }
    const AppPaths paths(folder.folder);
    const ServiceConfiguration configuration = checkServiceConfiguration(paths);
    if (!configuration.problem.isEmpty()) {
        serviceLog(u"cannot log, since %1 (exit status 78: a configuration error)"_s.arg(
            configuration.problem));
        return ExitConfiguration;
    }
    serviceLog(u"version %1 started in %2"_s.arg(QLatin1StringView(Version), paths.folder()));
    for (const QString& warning : configuration.warnings)
        serviceLog(warning);

    SystemClock clock;
    ServiceFrontEnd frontEnd(paths, clock, serialLinks(paths),
                             std::make_unique<MosquittoConnection>());
    QObject::connect(&orderlyEnd, &OrderlyEnd::endRequested, &frontEnd.session(),
                     &LoggingSession::requestEnd);
    QObject::connect(&orderlyEnd, &OrderlyEnd::reloadRequested, &frontEnd,
                     &ServiceFrontEnd::reload);
    frontEnd.start();
    QCoreApplication::exec();
    return frontEnd.end();
}
