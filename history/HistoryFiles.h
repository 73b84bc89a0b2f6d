#pragma once
// The file work of the history window: the empty line each load and each export appends to
// the chosen day log, reading a day log whole, and writing an export file whole.

#include <QByteArray>
#include <QString>

namespace tarnby {

struct FileOutcome {
    bool ok = false;
    QString error; // why not, from the file system
};

// Opens `path` for appending, creating it when missing, and writes one bare CR LF. A plain
// append: no sync, no folder created.
FileOutcome appendEmptyLine(const QString& path);

struct FileText {
    bool ok = false;
    QString text;  // the whole file, decoded as UTF-8 (day logs are plain ASCII)
    QString error; // why not, when !ok
};
FileText readWholeFile(const QString& path);

// Creates or replaces `path` with `bytes`. Reports failure only after the data has been handed
// to the system (a buffered write to a full disk fails at the flush, not at the write); a
// regular file left incomplete by a failed write is removed so no half export lingers.
FileOutcome writeWholeFile(const QString& path, const QByteArray& bytes);

// What DISPLAY and .CSV say while no day log has been picked.
inline QString chooseDayLogMessage() {
    return QStringLiteral("Choose a day log from the file list first.");
}

} // namespace tarnby
