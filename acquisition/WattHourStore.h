#pragma once
// The running watt-hour total: LiveWatts / 720 added every 5 s tick; at the first tick of a
// new calendar date one line with the day's total is appended to logs/Whours.txt and the total
// restarts; every orderly end of the program appends one line too.

#include "acquisition/DurableAppend.h"
#include "common/AppPaths.h"

#include <QByteArray>
#include <QDateTime>

namespace tarnby {

// "00:00  2345.7 Wh" CR LF
QByteArray wattHourLine(const QTime& time, double total);

class WattHourStore {
public:
    // `startDate` is the date at start-up: the first tick compares against it.
    WattHourStore(AppPaths paths, const QDate& startDate) : paths_(std::move(paths)), lastDate_(startDate) {}

    struct TickOutcome {
        bool wroteLine = false;
        AppendOutcome append; // meaningful when wroteLine
    };

    // One tick of the 5 s timer. When `linkUp` is false (the port was lost), nothing is added:
    // the last watts would count energy that was never measured.
    TickOutcome tick(const QDateTime& now, double liveWatts, double& wattHourTotal, bool linkUp = true);

    // The line appended at an orderly end of the program.
    AppendOutcome appendExitLine(const QDateTime& now, double wattHourTotal);

private:
    AppPaths paths_;
    QDate lastDate_;
};

} // namespace tarnby
