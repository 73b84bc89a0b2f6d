#include "history/HistorySettings.h"

#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "config/ConfigFile.h"

#include <limits>

namespace tarnby {

namespace {
constexpr double DefaultSystemVolts = 24;
constexpr int DefaultMaxAmps = 20;
} // namespace

QString readHistorySettings(const QString& path, HistoryState& state) {
    ConfigReading cfg = ConfigReading::read(path, QStringLiteral("prog.cfg"));
    QStringList fallbacks;

    const auto interval = checkLoggingInterval(cfg.takeNumber(QLatin1StringView("LogDelay")));
    state.LogIntervalSeconds = interval ? std::optional<double>(interval->seconds) : std::nullopt;
    if (!interval)
        fallbacks << QStringLiteral("no watt-hour total, as the logging interval is not known");

    const auto systemVolts = readNumber(cfg.takeNumber(QLatin1StringView("SV")));
    state.VoltsFullScale = systemVolts.value_or(DefaultSystemVolts) * 70 / 48;
    if (!systemVolts)
        fallbacks << QStringLiteral("a %1 V system (volts scale %2 V)")
                         .arg(DefaultSystemVolts)
                         .arg(DefaultSystemVolts * 70 / 48);

    const QString ma = cfg.takeNumber(QLatin1StringView("MA"));
    std::optional<int> maxAmps = readRoundedWholeNumber(ma);
    if (maxAmps && (*maxAmps < std::numeric_limits<std::int16_t>::min() ||
                    *maxAmps > std::numeric_limits<std::int16_t>::max())) {
        cfg.noteProblem(QStringLiteral("the value \"%1\" of <MA> is too large").arg(ma));
        maxAmps.reset();
    }
    state.MaxAmps = static_cast<std::int16_t>(maxAmps.value_or(DefaultMaxAmps));
    if (!maxAmps)
        fallbacks << QStringLiteral("%1 A as the maximum current").arg(DefaultMaxAmps);

    const qsizetype before = cfg.problems().size();
    state.SpeedUnits = cfg.take(QLatin1StringView("WSUnits"));
    if (!cfg.fileUsable() || cfg.problems().size() != before)
        fallbacks << QStringLiteral("no wind speed units");

    if (cfg.ok())
        return {};
    return cfg.problemMessage(QStringLiteral("The history window uses instead: %1. The settings "
                                             "can be corrected in the Program Setup window.")
                                  .arg(fallbacks.join(QStringLiteral("; "))));
}

} // namespace tarnby
