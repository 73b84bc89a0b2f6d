#include "history/MonthSummary.h"

#include "acquisition/DayLogWriter.h"
#include "history/DayLogLoader.h"
#include "history/HistoryState.h"
#include "history/PlotModel.h"
#include "history/TimeRange.h"
#include "platform/FileWriting.h"

#include <QFileInfo>
#include <algorithm>

namespace tarnby {

namespace {
// One day log as the plot of the whole day sees it; only the readings the summary shows are
// read.
void summarizeDayLog(QByteArrayView dayLog, std::optional<double> logIntervalSeconds,
                     DaySummary& day) {
    static constexpr std::array readings = {Trace::Volts, Trace::Watts};
    HistoryState plotted;
    plotted.LogIntervalSeconds = logIntervalSeconds;
    switch (DayLogLoader::keep(DayLogLoader::read(dayLog, WholeDay, readings), plotted)) {
    case LoadOutcome::NoData:
        day.state = DayState::NoRecords;
        return;
    case LoadOutcome::TooMany:
        day.state = DayState::OverLimit;
        return;
    case LoadOutcome::Unreadable:
        day.state = DayState::Unreadable;
        return;
    case LoadOutcome::Loaded:
        break;
    }
    day.state = DayState::Summarized;
    day.records = plotted.loadedRecords();
    // PlotFrom is at the first record and PlotTo at the last: the whole day's plot.
    day.wattHours = PlotModel::spanWattHours(plotted);
    const auto first = plotted.records.of(Trace::Volts).begin() + 1;
    const auto [low, high] = std::minmax_element(first, first + day.records);
    day.minVolts = *low;
    day.maxVolts = *high;
}
} // namespace

bool MonthSummary::anyLog() const {
    return std::any_of(days.begin(), days.end(),
                       [](const DaySummary& day) { return day.hasLog(); });
}

std::optional<double> MonthSummary::totalWattHours() const {
    std::optional<double> total;
    for (const DaySummary& day : days)
        if (day.wattHours)
            total = total.value_or(0) + *day.wattHours;
    return total;
}

const DaySummary* MonthSummary::bestDay() const {
    const DaySummary* best = nullptr;
    for (const DaySummary& day : days)
        if (day.wattHours && (!best || *day.wattHours > *best->wattHours))
            best = &day;
    return best;
}

MonthSummary summarizeMonth(const AppPaths& paths, QDate anyDay,
                            std::optional<double> logIntervalSeconds) {
    MonthSummary month;
    month.first = QDate(anyDay.year(), anyDay.month(), 1);
    for (int d = 1; d <= month.first.daysInMonth(); ++d) {
        DaySummary& day = month.days.emplace_back();
        day.date = month.first.addDays(d - 1);
        const QString path = paths.inLogs(dayLogFileName(day.date));
        if (!QFileInfo::exists(path))
            continue;
        const FileBytes file = readWholeFile(path);
        if (!file.ok) {
            day.state = DayState::Unreadable;
            continue;
        }
        summarizeDayLog(file.bytes, logIntervalSeconds, day);
    }
    return month;
}

std::optional<QDate> dayLogDate(const QString& fileName) {
    const QDate date = QDate::fromString(fileName, QStringLiteral("'P_'yyyy'_'MM'_'dd'.txt'"));
    // The name the logger gives that date, and no other spelling of it.
    if (!date.isValid() || dayLogFileName(date) != fileName)
        return std::nullopt;
    return date;
}

} // namespace tarnby
