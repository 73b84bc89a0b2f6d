#pragma once
// The day-log record writer: one record per logging interval, appended to
// logs/P_yyyy_mm_dd.txt of the date at the tick.

#include "acquisition/DurableAppend.h"
#include "acquisition/LiveReadings.h"
#include "common/AppPaths.h"

#include <QByteArray>
#include <QDateTime>

namespace tarnby {

struct RecordAverages {
    double volts = 0, amps = 0, watts = 0, rpm = 0, speed = 0;
};

// "P_2010_03_07.txt"
QString dayLogFileName(const QDate& date);

// One record line, CR LF included:
// <T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>123</R><S>5.3</S><M>0</M>   1234.5Wh
QByteArray recordLine(const QTime& time, const RecordAverages& averages, int modeValue,
                      double wattHourTotal);

class DayLogWriter {
public:
    explicit DayLogWriter(AppPaths paths) : paths_(std::move(paths)) {}

    struct Outcome {
        AppendOutcome append;
        QString fileName; // the day log written to
    };

    // One tick of the logging timer. `now` is one reading of the clock: the file's date and
    // the record's time come from it. The averages are the sums / SampleCount, or the previous
    // record's when no frame arrived; the sums are cleared afterwards.
    Outcome writeRecord(const QDateTime& now, IntervalSums& sums, const LiveReadings& readings);

    const RecordAverages& lastAverages() const { return last_; }

private:
    AppPaths paths_;
    RecordAverages last_;
};

} // namespace tarnby
