#include "acquisition/ReadingDisplay.h"

#include "common/DisplayRounding.h"
#include "common/PictureFormat.h"

namespace tarnby {

QVector<ReadingRow> readingRows(const LiveReadings& readings, const ListOptions& options) {
    QVector<ReadingRow> rows{
        {formatPicture(readings.LiveVolts, "##.00"), QStringLiteral("Volts")},
        {formatPicture(readings.LiveAmps, "##0.0"), QStringLiteral("Amps")},
        {formatPicture(readings.LiveWatts, "####0.0"), QStringLiteral("Watts")},
        {formatPicture(readings.WattHourTotal, "#####0.0"), QStringLiteral("WattHours")},
    };
    if (options.showRpm)
        rows.push_back({formatPicture(readings.LiveRPM, "##0"), QStringLiteral("RPM")});
    if (options.showWindSpeed)
        rows.push_back({formatPicture(readings.LiveSpeed, "##0"), options.windSpeedUnits});
    return rows;
}

QVector<ReadingRow> initialRows(const ListOptions& options) {
    QVector<ReadingRow> rows = readingRows(LiveReadings{}, options);
    for (ReadingRow& row : rows)
        row.value = QStringLiteral("0.0");
    return rows;
}

QString readingsCaption(const LiveReadings& readings) {
    return QStringLiteral("Tarnby  ") + plainNumberText(readings.LiveVolts) + QStringLiteral("V ") +
           plainNumberText(readings.LiveAmps) + QStringLiteral("A");
}

int listFontPointSize(const ListOptions& options) {
    if (options.showRpm && options.showWindSpeed)
        return 18;
    if (options.showRpm || options.showWindSpeed)
        return 20;
    return 24;
}

} // namespace tarnby
