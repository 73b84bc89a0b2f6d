#include "history/HistorySettings.h"

#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "config/ProgSettings.h"

#include <limits>

namespace tarnby {

namespace {
constexpr double DefaultSystemVolts = 24;
constexpr int DefaultMaxAmps = 20;
} // namespace

QString readHistorySettings(const QString& path, HistoryState& state) {
    const ProgConfig prog = readProgCfg(path);
    QStringList problems = prog.problems({&prog.LogDelay});
    QStringList fallbacks;

    // The interval as the Start button reads it.
    const auto interval = checkLoggingInterval(prog.LogDelay.text);
    state.LogIntervalSeconds = interval ? std::optional<double>(interval->seconds) : std::nullopt;
    if (prog.LogDelay.taken() && !prog.LogDelay.number)
        problems << describeProblem(prog.LogDelay.key, prog.LogDelay.text,
                                    ValueProblem::NotANumber);
    if (!interval)
        fallbacks << QStringLiteral("no watt-hour total, as the logging interval is not known");

    problems << prog.problems({&prog.SV});
    const std::optional<double>& systemVolts = prog.SV.number;
    state.VoltsFullScale = systemVolts.value_or(DefaultSystemVolts) * 70 / 48;
    if (!systemVolts)
        fallbacks << QStringLiteral("a %1 V system (volts scale %2 V)")
                         .arg(DefaultSystemVolts)
                         .arg(DefaultSystemVolts * 70 / 48);

    problems << prog.problems({&prog.MA});
    std::optional<int> maxAmps = readRoundedWholeNumber(prog.MA.text);
    if (maxAmps && (*maxAmps < std::numeric_limits<std::int16_t>::min() ||
                    *maxAmps > std::numeric_limits<std::int16_t>::max())) {
        problems << describeProblem(prog.MA.key, prog.MA.text, ValueProblem::TooLarge);
        maxAmps.reset();
    }
    state.MaxAmps = static_cast<std::int16_t>(maxAmps.value_or(DefaultMaxAmps));
    if (!maxAmps)
        fallbacks << QStringLiteral("%1 A as the maximum current").arg(DefaultMaxAmps);

    problems << prog.problems({&prog.WSUnits});
    state.SpeedUnits = prog.WSUnits.text;
    if (!prog.WSUnits.taken())
        fallbacks << QStringLiteral("no wind speed units");

    return prog.problemMessage(problems,
                               QStringLiteral("The history window uses instead: %1. The settings "
                                              "can be corrected in the Program Setup window.")
                                   .arg(fallbacks.join(QStringLiteral("; "))));
}

} // namespace tarnby
