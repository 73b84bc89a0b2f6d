#pragma once
// The day-log record line, laid out in this one place: the writer builds it from here, the CSV
// export writes the readings in the same pictures, and the history loader reads the same tags.
//
//   <T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>123</R><S>5.3</S><M>0</M>   1234.5Wh
//
// then CR LF: the time of day (hh:mm), the five readings in their pictures, the mode value as a
// plain whole number, three blanks and the watt-hour total. Pictures follow common/PictureFormat
// ("####" writes an RPM that rounds to 0 as an empty field).

#include "acquisition/Reading.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QTime>
#include <array>
#include <string_view>

namespace tarnby::record {

inline constexpr QByteArrayView TimeTag = "T";
inline constexpr QByteArrayView ModeTag = "M";

struct ReadingField {
    QByteArrayView tag;       // the key between "<" and ">"
    std::string_view picture; // how the value is written
};
// By Reading: volts, amps, watts, RPM, wind speed.
inline constexpr std::array<ReadingField, ReadingCount> readingFields = {{
    {"V", "##.00"},
    {"I", "###.00"},
    {"W", "####.00"},
    {"R", "####"},
    {"S", "###.0"},
}};
inline constexpr std::string_view WattHourPicture = "######.0";

inline const ReadingField& field(Reading reading) {
    return readingFields[readingIndex(reading)];
}

// A reading as the record line and the CSV export write it: 12.57 volts gives "12.57".
QByteArray readingText(Reading reading, double value);

// One record line, CR LF included, stamped with the hours and minutes of `time`.
QByteArray recordLine(const QTime& time, const Readings& readings, int modeValue,
                      double wattHourTotal);

} // namespace tarnby::record
