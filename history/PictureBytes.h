#pragma once
// The picture formats of the CSV fields ("####", "###.0", "##.00", "###.00", "####.00": only
// "#" before the point, `decimals` "0" after it) appended as bytes, with the same text
// formatPicture gives (halves away from zero on the decimal value a person reads, nothing
// before the point below 1, a "-" unless the value rounds to zero), but without building a
// string per field: an export writes some fifty thousand of them.

#include <QByteArray>

namespace tarnby {

void appendHashPicture(QByteArray& out, double value, int decimals);

// hh:mm of a time of day in seconds since midnight.
void appendTimeOfDay(QByteArray& out, int secondsSinceMidnight);

} // namespace tarnby
