#pragma once
// The running watt-hour total: LiveWatts / 720 added every 5 s tick; at the first tick of a
// new calendar date one line with the day's total is appended to logs/Whours.txt and the total
// restarts; every orderly end of the program appends one line too.

#include "common/AppPaths.h"
#include "platform/FileWriting.h"

#include <QByteArray>
#include <QDateTime>

namespace tarnby {

// "00:00  2345.7 Wh" CR LF
QByteArray wattHourLine(const QTime& time, double total);

class WattHourStore {
public:
    // `startDate` is the date at start-up: the first tick compares against it.
    WattHourStore(AppPaths paths, const QDate& startDate)
        : paths_(std::move(paths)), lastDate_(startDate) {}

    struct TickOutcome {
        bool wroteLine = false; // a line was due and an append was tried; see append.ok
        FileOutcome append;     // meaningful when wroteLine
    };

    // One tick of the 5 s timer. The first tick whose date differs from the previous tick's
    // (however late after midnight it comes) writes the day's total stamped with its own time
    // and restarts the total at 0; then this tick's share is added. When `linkUp` is false
    // (the port was lost), nothing is added: the last watts would count energy that was never
    // measured.
    //
    // A day's line that cannot be written is kept, with the time it was due, and tried again
    // at every later tick (and at the exit line) until it is on disk, so no day's total is lost
    // to a full disk or a missing permission. A line that reached the file but could not be
    // confirmed on disk is reported and not written again.
    TickOutcome tick(const QDateTime& now, double liveWatts, double& wattHourTotal,
                     bool linkUp = true);

    // The line appended at an orderly end of the program, after any line still held. Only the
    // first call of a run writes, and only its outcome reports a failure: later calls write
    // nothing and return ok, so an end reached twice (Exit, then the end of the event loop)
    // neither repeats the line nor reports its failure twice.
    FileOutcome appendExitLine(const QDateTime& now, double wattHourTotal);

private:
    FileOutcome writeHeld();

    AppPaths paths_;
    QDate lastDate_;
    QByteArray held_; // lines due but not yet on disk, each ending in CR LF
    bool exitWritten_ = false;
};

} // namespace tarnby
