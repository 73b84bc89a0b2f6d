#include "history/MonthCsv.h"

#include "common/PictureFormat.h"
#include "history/DayLogLoader.h"

#include <algorithm>

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
            out += formatPicture(*day.wattHours, "####.00").toLatin1();
        out += ',';
        if (day.summarized()) {
            out += formatPicture(day.minVolts, "##.00").toLatin1();
            out += ',';
            out += formatPicture(day.maxVolts, "##.00").toLatin1();
        } else {
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

CsvExporter::Outcome exportMonth(const AppPaths& paths, const MonthSummary& month) {
    const bool anyLog = std::any_of(month.days.begin(), month.days.end(),
                                    [](const DaySummary& day) { return day.hasLog(); });
    const QString path = paths.inLogs(monthCsvFileName(month.first));
    if (const auto failed =
            CsvExporter::writeExportFile(path, anyLog ? monthCsvText(month) : "\r\n"))
        return {false, *failed};
    if (!anyLog)
        return {true, DayLogLoader::noDataMessage()};
    return {true, CsvExporter::doneMessage()};
}

} // namespace tarnby
