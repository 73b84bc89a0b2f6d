#pragma once
// The .CSV export: the records of the last load written to a comma-separated file in the logs
// folder, named after the chosen day log and the time boxes as they stand.
//
// File name: the day log's name up to and including its first "." (empty when it has none),
// "_", the From hour and minute boxes joined, "_", the To hour and minute boxes joined, ".csv":
// P_2010_03_07.txt with boxes 06 30 18 05 gives P_2010_03_07._0630_1805.csv. The box texts go
// in as typed (9 and 5 give _95_), but a text that is not a plain part of a file name is
// refused: "..", a path separator, a character some file systems cannot hold (: * ? " < > |)
// or a control character.
//
// Content: "TIME,VOLTS,AMPS,WATTS,RPM,SPEED", then one row per record of the last load (slots
// 1 to RecordCount, at most 9,999), each line ended by CR LF; the time as hh:mm, the readings
// in the pictures of the day-log record ("##.00", "###.00", "####.00", "####", "###.0"). With
// no record loaded the file holds one empty line.

#include "common/AppPaths.h"
#include "history/HistoryState.h"
#include "history/TimeRange.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnby {

class CsvExporter {
public:
    struct Name {
        QString fileName;
        QString refusal; // for the user, when a box text cannot go into a file name
        bool ok() const { return refusal.isEmpty(); }
    };
    static Name fileName(const QString& dayLogName, const TimeBoxes& boxes);

    // Header and rows.
    static QByteArray csvText(const HistoryState& state);

    struct Outcome {
        bool written = false; // the export file holds what it should
        QString message;      // the one message to show
    };
    static QString doneMessage() { return QStringLiteral("Done"); }

    // Creates or replaces an export file with `bytes` through a temporary file and a rename, so
    // an earlier file stays whole when anything fails; a name that is a link or not a regular
    // file is refused. Empty when it was written, else the message that says why nothing was
    // exported.
    static std::optional<QString> writeExportFile(const QString& path, const QByteArray& bytes);

    // The whole click: checks (the export file's name too, before anything is written), the
    // empty line appended to the day log, the export file, the message. A day log that cannot
    // take its empty line does not stop the export, but the message says so instead of "Done".
    static Outcome exportRecords(const AppPaths& paths, const QString& dayLogName,
                                 const TimeBoxes& boxes, const HistoryState& state);
};

} // namespace tarnby
