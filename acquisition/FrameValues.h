#pragma once
// The five values of one telemetry frame, taken by the tagged value rule.
//
// V and I: missing, empty or exactly "0" drops the frame; a number too large for a double makes
// the frame corrupt; any other text that is not a number is 0.
// R, M, S: their number, or 0 when missing, empty or not a number.
// A closing tag before its opening tag, or any number too large for a double, makes the frame
// corrupt.

#include <QByteArrayView>

namespace tarnby {

struct FrameValues {
    double V = 0, I = 0, R = 0, M = 0, S = 0;
};

struct FrameExtraction {
    enum class Outcome { Accepted, Dropped, Corrupt };
    Outcome outcome = Outcome::Dropped;
    FrameValues values;
};

FrameExtraction extractFrameValues(QByteArrayView frameText);

// One tag's value as a number: 0 when missing, empty or not a number. `corrupt` is set when
// the closing tag stands before the opening tag or the number is too large for a double.
// Shared with the calibration window.
double frameNumber(QByteArrayView frameText, QByteArrayView tag, bool* corrupt = nullptr);

} // namespace tarnby
