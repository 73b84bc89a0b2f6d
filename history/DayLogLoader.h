#pragma once
// Reads the records of one day log that lie inside a time range into the history state.
//
// The text is split at CR LF only (a file with bare LF line ends is one line). A line is a
// record when its <T> field holds a time of day strictly after the range start and strictly
// before its end; other lines (empty ones, lines without a time) are skipped. Of each record
// the <V>, <I>, <R>, <W> and <S> fields are kept as the number their text reads as, or 0 when
// a field is missing, its closing tag stands before its opening tag, or its text is not a
// number (so "-", a small negative RPM as "####" writes it, is 0); an RPM above 500 is kept
// as 0. Every consumer would read the text by that same
// number rule, so the number is what the field's text stands for.
//
// The load stops at the 10,000th record in range with RecordCount left at 10,000 and records
// 1 to 9,999 in the arrays. Only a load that ends with records sets PlotFrom to 1 and PlotTo to
// RecordCount; the caller then plots.

#include "history/HistoryState.h"

#include <QString>

namespace tarnby {

enum class LoadOutcome {
    Loaded,  // 1 to 9,999 records
    NoData,  // no record in range: "No data for that date"
    TooMany, // the record limit: tooManyRecordsMessage()
};

class DayLogLoader {
public:
    static LoadOutcome load(const QString& dayLogText, int fromTime, int toTime,
                            HistoryState& state);

    static QString noDataMessage() { return QStringLiteral("No data for that date"); }
    static QString tooManyRecordsMessage();
};

} // namespace tarnby
