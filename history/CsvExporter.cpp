#include "history/CsvExporter.h"

#include "acquisition/RecordLayout.h"
#include "common/TimeText.h"
#include "history/DayLogLoader.h"
#include "history/HistoryMessages.h"
#include "platform/FileWriting.h"

#include <QDir>
#include <QFileInfo>

namespace tarnby {

namespace {
bool isPlainNamePart(const QString& text) {
    if (text.contains(QStringLiteral("..")))
        return false;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

// An export replaces only a regular file of its own name: never what a link names, a folder or
// a device.
std::optional<QString> exportPathRefusal(const QString& path) {
    const QFileInfo file(path);
    if (!file.isSymLink() && (file.isFile() || !file.exists()))
        return std::nullopt;
    return QStringLiteral("The CSV file %1 is a link or not a regular file, so it is not "
                          "replaced. Move it out of the way and export again. Nothing was "
                          "exported.")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

CsvExporter::Name CsvExporter::fileName(const QString& dayLogName, const TimeBoxes& boxes) {
    for (const QString* box :
         {&boxes.fromHour, &boxes.fromMinute, &boxes.toHour, &boxes.toMinute}) {
        if (!isPlainNamePart(*box))
            return {{},
                    QStringLiteral("The time box text \"%1\" cannot be part of a file name. A file "
                                   "name part cannot hold \"..\", / or \\, the characters "
                                   ": * ? \" < > | or control characters. Nothing was exported.")
                        .arg(*box)};
    }
    const qsizetype dot = dayLogName.indexOf(u'.');
    const QString base = dot < 0 ? QString() : dayLogName.first(dot + 1);
    return {base + u'_' + boxes.fromHour + boxes.fromMinute + u'_' + boxes.toHour + boxes.toMinute +
                QStringLiteral(".csv"),
            {}};
}

QByteArray CsvExporter::csvText(const HistoryState& state) {
    QByteArray out;
    const int records = state.loadedRecords();
    out.reserve(40 + records * 48);
    out += "TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n";
    for (int k = 1; k <= records; ++k) {
        const auto slot = static_cast<size_t>(k);
        out += timeOfDayText(state.records.time[slot] / 60).toLatin1();
        // The readings in the day log's own pictures, in the columns' order.
        for (Trace trace : AllTraces) {
            out += ',';
            out += record::readingText(trace, state.records.of(trace)[slot]);
        }
        out += "\r\n";
    }
    return out;
}

std::optional<QString> CsvExporter::writeExportFile(const QString& path, const QByteArray& bytes) {
    if (auto refusal = exportPathRefusal(path))
        return refusal;
    const FileOutcome written = replaceFileWhole(path, bytes);
    if (written.ok)
        return std::nullopt;
    return QStringLiteral("The CSV file %1 could not be written (%2). Nothing was exported.")
        .arg(QDir::toNativeSeparators(path), written.error);
}

CsvExporter::Outcome CsvExporter::exportRecords(const AppPaths& paths, const QString& dayLogName,
                                                const TimeBoxes& boxes, const HistoryState& state) {
    if (dayLogName.isEmpty())
        return {false, chooseDayLogMessage()};
    const Name name = fileName(dayLogName, boxes);
    if (!name.ok())
        return {false, name.refusal};

    const QString csvPath = paths.inLogs(name.fileName);
    if (auto refusal = exportPathRefusal(csvPath))
        return {false, *refusal};

    const QString dayLogPath = paths.inLogs(dayLogName);
    const FileOutcome appended = appendEmptyLine(dayLogPath);

    const bool noRecords = state.RecordCount <= 0;
    if (const auto failed =
            writeExportFile(csvPath, noRecords ? QByteArray("\r\n") : csvText(state)))
        return {false, *failed};
    if (noRecords)
        return {true, DayLogLoader::noDataMessage()};
    if (!appended.ok)
        return {true,
                QStringLiteral("The records were exported to %1, but the day log %2 could "
                               "not be written to (%3).")
                    .arg(name.fileName, QDir::toNativeSeparators(dayLogPath), appended.error)};
    return {true, doneMessage()};
}

} // namespace tarnby
