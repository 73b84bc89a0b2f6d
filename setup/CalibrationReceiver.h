#pragma once
// The calibration window's receive procedure: bytes from its port in, the raw and scaled
// captions out. No widget, no port.
//
// It cuts frames from the bytes as the main receiver does (FrameReceiver): the bytes of each
// notification are appended to the buffer, every complete frame from its "[" to its "]" is cut
// and the text after the last "]" stays for the next frame. Of the frames one notification
// completes, the last is shown. Unlike the main receiver, frames sent back to back ("][") are
// cut like any other.
// V, I, R and S are taken by the frame tag rule, each 0 when missing, empty or not a number; no
// value drops the frame (M is not read). A closing tag before its opening tag changes nothing
// shown for that frame.
// The scaled values use the factors as typed at the moment the frame arrives (typing alone
// changes nothing shown). Unlike the main window's readings the amps are not clamped at 0 and
// the RPM is not set to 0 above 500.

#include "acquisition/FrameReceiver.h"
#include "config/CalibrationSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarnby {

struct CalibrationCaptions {
    QString rawVolts;      // raw V, 2 decimals
    QString rawCurrent;    // raw I, 2 decimals
    QString rawPulses;     // raw R
    QString rpm;           // "<rpm> RPM", 1 decimal; "1 RPM" while the pulse divider is unusable
    QString rawWindPulses; // raw S
    QString windSpeed;     // "<speed> <units>", 1 decimal; the last usable speed is kept
    // Absent when the caption stays as it was: the volts factor is not a number above 0; the
    // amps factor is not a number other than 0, or the offset is not a number.
    std::optional<QString> volts; // "<volts> Volts", 2 decimals
    std::optional<QString> amps;  // "<amps> Amps", 2 decimals

    bool operator==(const CalibrationCaptions&) const = default;
};

class CalibrationReceiver {
public:
    // One notification's bytes. Returns the new captions when a frame was evaluated, nothing
    // when no frame is complete yet or the last one was corrupt. `typed` holds the
    // factors as the boxes show them (see CalibrationForm.h); `wsUnits` the unit text.
    std::optional<CalibrationCaptions>
    receive(QByteArrayView bytes, const CalibrationSettings& typed, const QString& wsUnits);

private:
    FrameReceiver frames_{FrameReceiver::BackToBack::CutBoth};
    double calSpeed_ = 0; // the wind speed of the last frame whose divider was usable
};

} // namespace tarnby
