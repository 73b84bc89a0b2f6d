#pragma once
// The .CSV export of a month: logs/P_yyyy_mm.csv with the header
// "DATE,WATTHOURS,MINVOLTS,MAXVOLTS" and one row per day that has a day log, each line ended by
// CR LF. The date is yyyy-mm-dd; the watt-hours are in the record's watts picture "####.00"
// and the volts in its volts picture "##.00". A figure the day does not have (over the record
// limit, no record, an unknown logging interval) is left empty: 2026-12-07,,,
//
// As with a day: a month without any day log gives a file of one empty line and "No data for
// that date"; a file that cannot be written, its reason and "Nothing was exported". No day log
// is written to.

#include "common/AppPaths.h"
#include "history/CsvExporter.h"
#include "history/MonthSummary.h"

#include <QByteArray>
#include <QString>

namespace tarnby {

QString monthCsvFileName(QDate anyDay);
QByteArray monthCsvText(const MonthSummary& month);
CsvExporter::Outcome exportMonth(const AppPaths& paths, const MonthSummary& month);

} // namespace tarnby
