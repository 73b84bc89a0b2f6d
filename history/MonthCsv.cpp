#include "history/MonthCsv.h"

#include "acquisition/RecordLayout.h"
#include "history/DayLogLoader.h"

namespace tarnby {

QString monthCsvFileName(QDate anyDay) {
    return anyDay.toString(QStringLiteral("'P_'yyyy'_'MM'.csv'"));
}

QByteArray monthCsvText(const MonthSummary& month) {
    QByteArray out = "DATE,WATTHOURS,MINVOLTS,MAXVOLTS\r\n";
    for (const DaySummary& day : month.days) {
        if (!day.hasLog())
            continue;
        out += day.date.toString(Qt::ISODate).toLatin1();
        out += ',';
        if (day.wattHours)
            out += record::readingText(Reading::Watts, *day.wattHours);
        out += ',';
        if (day.summarized()) {
            out += record::readingText(Reading::Volts, day.minVolts);
            out += ',';
            out += record::readingText(Reading::Volts, day.maxVolts);
        } else {
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

CsvExporter::Outcome exportMonth(const AppPaths& paths, const MonthSummary& month) {
    const bool anyLog = month.anyLog();
    const QString path = paths.inLogs(monthCsvFileName(month.first));
    if (const auto failed =
            CsvExporter::writeExportFile(path, anyLog ? monthCsvText(month) : "\r\n"))
        return {false, *failed};
    if (!anyLog)
        return {true, DayLogLoader::noDataMessage()};
    return {true, CsvExporter::doneMessage()};
}

} // namespace tarnby
