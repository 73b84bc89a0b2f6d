#include "service/ServiceConfiguration.h"

#include "common/LoggingInterval.h"
#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

// The first reason the prog.cfg values cannot serve a service, without the file's name.
QString progProblem(const ProgConfig& prog) {
    // The keys the logging session reads; a flag that is no number it takes as off.
    const std::initializer_list<const ConfigText*> used = {
        &prog.Port,       &prog.BR,        &prog.LogDelay, &prog.LogOn,
        &prog.DisplayRPM, &prog.DisplayWS, &prog.WSUnits};
    for (const ConfigText* value : used) {
        if (!value->taken())
            return value->problemText();
    }
    if (prog.Port.text == u"0")
        return u"<Port> is 0, no port: a service with no port would log nothing"_s;
    if (!prog.Port.number || *prog.Port.number < 1)
        return u"the value \"%1\" of <Port> is not a port number (1 and up)"_s.arg(prog.Port.text);
    if (prog.BR.problem != ValueProblem::None)
        return prog.BR.problemText();
    if (*prog.BR.number < 1)
        return u"the value \"%1\" of <BR> is not a baud rate"_s.arg(prog.BR.text);
    if (!checkLoggingInterval(prog.LogDelay.text))
        return describeProblem(prog.LogDelay.key, prog.LogDelay.text, ValueProblem::NotANumber);
    return {};
}

} // namespace

ServiceConfiguration checkServiceConfiguration(const AppPaths& paths) {
    const ProgConfig prog = readProgCfg(paths.progCfg());
    const CalibrationConfig settings = readSettingsCfg(paths.settingsCfg());
    const auto named = [](const QString& path, const QString& problem) {
        return ServiceConfiguration{u"%1: %2"_s.arg(path, problem), {}};
    };
    if (!prog.fileUsable())
        return named(paths.progCfg(), prog.fileProblem);
    if (!settings.fileUsable())
        return named(paths.settingsCfg(), settings.fileProblem);
    if (const QString problem = progProblem(prog); !problem.isEmpty())
        return named(paths.progCfg(), problem);
    ServiceConfiguration configuration;
    if (!flagSet(prog.LogOn))
        configuration.warnings << u"logging is off: <LogOn> in %1 is \"%2\", not 1"_s.arg(
            paths.progCfg(), prog.LogOn.text);
    return configuration;
}

} // namespace tarnby
