#pragma once
// Reads the records of one day log that lie inside a time range: the one reader of day-log
// records, for the day plot and for the month summary.
//
// The bytes are read as they are (day logs are 8-bit text) and split at CR LF only (a file
// with bare LF line ends is one line). A line is a record when its <T> field holds a time of
// day strictly after the range start and strictly before its end; other lines (empty ones,
// lines without a time) are skipped. Of each record the reading fields of the record layout
// (<V>, <I>, <W>, <R>, <S>) are kept as the number their text reads as, or 0 when a field is
// missing, its closing tag stands before its opening tag, or its text is not a number (so "-",
// a small negative RPM as "####" writes it, is 0); an RPM passes the RPM rule (above 500 is 0).
// Every consumer would read the text by that same number rule, so the number is what the
// field's text stands for.
//
// The load stops at the 10,000th record in range: over the limit, with records 1 to 9,999.

#include "common/AppPaths.h"
#include "history/HistoryState.h"
#include "history/TimeRange.h"

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <span>

namespace tarnby {

enum class LoadOutcome {
    Loaded,     // 1 to 9,999 records
    NoData,     // no record in range: "No data for that date"
    TooMany,    // the record limit: tooManyRecordsMessage()
    Unreadable, // the day log cannot be read: nothing is loaded
};

struct DayLoad {
    LoadOutcome outcome = LoadOutcome::NoData;
    DayLogRecords records; // in range; the first 9,999 when TooMany
};

class DayLogLoader {
public:
    // The records of a day log's bytes, with the readings in `readings` (the others get no
    // slots).
    static DayLoad read(QByteArrayView dayLog, TimeRange range,
                        std::span<const Trace> readings = AllTraces);

    // Puts a read into the history state: its records and RecordCount (RecordLimit + 1 when
    // TooMany) replace the earlier ones, whatever the outcome. Only a load that ends with
    // records sets PlotFrom to 1 and PlotTo to RecordCount; the caller then plots.
    static LoadOutcome keep(DayLoad load, HistoryState& state);
    // read() with every reading, then keep().
    static LoadOutcome load(QByteArrayView dayLog, TimeRange range, HistoryState& state);

    // The whole DISPLAY: checks, the empty line appended to the day log (a day log that cannot
    // take it is still loaded), the file read and loaded into `state`. `message` is what to
    // tell the user, empty when there are records to plot.
    struct Displayed {
        std::optional<LoadOutcome> outcome; // empty when no day log was read
        QString message;
        bool loaded() const { return outcome == LoadOutcome::Loaded; }
    };
    static Displayed display(const AppPaths& paths, const QString& dayLogName,
                             const TimeBoxes& boxes, HistoryState& state);

    static QString noDataMessage() { return QStringLiteral("No data for that date"); }
    static QString tooManyRecordsMessage();
};

} // namespace tarnby
