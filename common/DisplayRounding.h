#pragma once
// Display rounding for captions and the cursor readout: a value rounded to a number of decimals,
// halves to the even neighbour, on the decimal value a person reads (2.675 to 2 decimals gives
// 2.68), written in plain shortest form: no leading blanks, no trailing zeros, no exponent
// (12.5, 13, 0, -3.25).

#include <QString>

namespace tarnby {

// The rounded value as a number.
double roundForDisplay(double value, int decimals);
// The rounded value as plain shortest text.
QString displayText(double value, int decimals);
// A value in plain shortest form without rounding (up to 15 significant digits).
QString plainNumberText(double value);

} // namespace tarnby
