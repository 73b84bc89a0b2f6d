#pragma once
// The calibration window's receive procedure: bytes from its port in, the raw and scaled
// captions out. No widget, no port.
//
// It reads the same telemetry frames as the main receiver, more simply:
// - The bytes of each notification are appended to the buffer; nothing that arrived is dropped.
// - Once the buffer holds both "]" and "[" (in either order) the whole buffer is the frame text
//   and the buffer is emptied. There is no "][" rule and no cut at the brackets, so a frame
//   whose first "]" stands before its "[" is still evaluated.
// - Until then the buffer keeps at most MaxBufferBytes, the most recent ones.
// - V, I, R and S are taken by the frame tag rule, each 0 when missing, empty or not a number;
//   no value drops the frame. A closing tag before its opening tag changes nothing shown for
//   that frame.
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
    QString txtBattV;       // raw V, 2 decimals
    QString txtShuntV;      // raw I, 2 decimals
    QString txtPulsess;     // raw R
    QString txtWindmillRPM; // "<rpm> RPM", 1 decimal; "1 RPM" while the pulse divider is unusable
    QString txtPulsess2;    // raw S
    QString txtWindSpeed;   // "<speed> <units>", 1 decimal; the last usable speed is kept
    // Absent when the caption stays as it was: the volts factor is not a number above 0; the
    // amps factor is not a number other than 0, or the offset is not a number.
    std::optional<QString> txtBattVadjusted; // "<volts> Volts", 2 decimals
    std::optional<QString> txtBattAadjusted; // "<amps> Amps", 2 decimals

    bool operator==(const CalibrationCaptions&) const = default;
};

class CalibrationReceiver {
public:
    static constexpr qsizetype MaxBufferBytes = FrameReceiver::MaxBufferBytes;

    // One notification's bytes. Returns the new captions when a frame was evaluated, nothing
    // when the buffer still waits for a bracket or the frame was corrupt. `typed` holds the
    // factors as the boxes show them (see CalibrationForm.h); `wsUnits` the unit text.
    std::optional<CalibrationCaptions>
    receive(QByteArrayView bytes, const CalibrationSettings& typed, const QString& wsUnits);

    const QByteArray& receiveBuffer() const { return receiveBuffer_; }
    // The wind speed of the last frame whose divider was usable (0 at first).
    double calSpeed() const { return calSpeed_; }

private:
    QByteArray receiveBuffer_;
    double calSpeed_ = 0;
};

} // namespace tarnby
