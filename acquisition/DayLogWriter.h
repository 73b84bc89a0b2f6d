#pragma once
// The day-log record writer: one record per logging interval, appended to
// logs/P_yyyy_mm_dd.txt of the date at the tick. The record line is laid out in RecordLayout.h.

#include "acquisition/LiveReadings.h"
#include "acquisition/Reading.h"
#include "common/AppPaths.h"
#include "platform/FileWriting.h"

#include <QByteArray>
#include <QDateTime>
#include <deque>

namespace tarnby {

// "P_2010_03_07.txt"
QString dayLogFileName(const QDate& date);

class DayLogWriter {
public:
    // Records that could not be written are held for the next tick, up to this many (over two
    // days at the shortest interval); beyond it the oldest held record is given up.
    static constexpr size_t MaxHeldRecords = 20000;

    explicit DayLogWriter(AppPaths paths) : paths_(std::move(paths)) {}

    struct Outcome {
        FileOutcome append; // the error text names the file and says how many records wait
        QString fileName;   // the day log written to (or the one that failed)
        QByteArray line;    // this tick's record, CR LF included, written or held
    };

    // One tick of the logging timer. `now` is one reading of the clock: the file's date and
    // the record's time come from it. The averages are the sums / SampleCount, or the previous
    // record's when no frame arrived (all zeros before the first record of the run); the sums
    // are cleared afterwards.
    //
    // A record that cannot be written (missing permission, full disk) is held, in order, and
    // written before the next record at a later tick, into the file of its own date; the
    // averages move on either way, so each record still covers its own interval. A record that
    // reached the file but could not be confirmed on disk is reported and not written again.
    Outcome writeRecord(const QDateTime& now, IntervalSums& sums, const LiveReadings& readings);

    // Records built but not yet on disk.
    size_t heldRecords() const { return held_.size(); }

private:
    struct HeldRecord {
        QString fileName;
        QByteArray line;
    };
    AppPaths paths_;
    Readings last_{}; // the averages of the previous record, by Reading
    std::deque<HeldRecord> held_;
};

} // namespace tarnby
