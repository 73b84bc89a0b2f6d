#include "acquisition/RecordLayout.h"

#include "common/PictureFormat.h"
#include "common/TimeText.h"

namespace tarnby::record {

namespace {
void appendField(QByteArray& line, QByteArrayView tag, QByteArrayView value) {
    line += '<';
    line += tag;
    line += '>';
    line += value;
    line += "</";
    line += tag;
    line += '>';
}
} // namespace

QByteArray readingText(Reading reading, double value) {
    return formatPicture(value, field(reading).picture).toLatin1();
}

QByteArray recordLine(const QTime& time, const Readings& readings, int modeValue,
                      double wattHourTotal) {
    QByteArray line;
    line.reserve(96);
    appendField(line, TimeTag, timeOfDayText(time).toLatin1());
    for (Reading reading : AllReadings)
        appendField(line, field(reading).tag,
                    readingText(reading, readings[readingIndex(reading)]));
    appendField(line, ModeTag, QByteArray::number(modeValue));
    line += "   ";
    line += formatPicture(wattHourTotal, WattHourPicture).toLatin1();
    line += "Wh\r\n";
    return line;
}

} // namespace tarnby::record
