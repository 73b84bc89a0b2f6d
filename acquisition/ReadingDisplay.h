#pragma once
// What the main window shows of the live readings: the rows of the list, the caption.

#include "acquisition/LiveReadings.h"

#include <QString>
#include <QVector>

namespace tarnby {

struct ReadingRow {
    QString value; // picture-formatted value
    QString label; // "Volts", "Amps", ... or the WSUnits text
};

struct ListOptions {
    bool showRpm = false;
    bool showWindSpeed = false;
    QString windSpeedUnits;
};

// The rows, in order: Volts, Amps, Watts, WattHours, then RPM and wind speed when shown.
QVector<ReadingRow> readingRows(const LiveReadings& readings, const ListOptions& options);
// The rows as LoadSettings builds them, every value "0.0".
QVector<ReadingRow> initialRows(const ListOptions& options);
// "Tarnby  12.57V 3.2A"
QString readingsCaption(const LiveReadings& readings);
// Font size of the list: 24 pt with no optional row, 20 with one, 18 with both.
int listFontPointSize(const ListOptions& options);

} // namespace tarnby
