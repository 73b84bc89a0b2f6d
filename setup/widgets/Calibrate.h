#pragma once
// The calibration window: shows the raw readings of the sensor board next to the values
// scaled with the factors being edited, and writes settings.cfg.
//
// Loading runs in the constructor: prog.cfg gives the port, baud rate and unit text,
// settings.cfg the factors, then the window opens its own port. When the port cannot be
// configured or opened, portOpened() is false and the window is not to be shown (the owner runs
// its port failure recovery). A settings.cfg that is missing, incomplete or holds a factor that
// is not a number does not stop the window: a message names the problems, the boxes show the
// stored texts (design values where a key is missing) and Save writes a complete file.
//
// "Save Calibration" writes settings.cfg exactly as typed and closes; a refused or failed save
// writes nothing (the old file stays) and leaves the window open. "Exit ( dont save )",
// Escape and the title-bar close write nothing. Enter does nothing: the user is still
// adjusting factors. The window's port is closed whenever the window closes.

#include "platform/widgets/Environment.h"
#include "setup/CalibrationReceiver.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class Calibrate : public QDialog {
    Q_OBJECT
public:
    Calibrate(const Environment& env, QWidget* owner);
    ~Calibrate() override;

    bool portOpened() const { return portOpened_; }
    // Why the port did not open.
    QString portProblem() const;
    // The factors as the boxes show them (VoltOffset is the current offset).
    CalibrationSettings typedFactors() const;

    void done(int result) override;

private:
    void buildControls();
    bool openPort(const QString& port, const QString& baudRate);
    void receiveFromPort(); // notification of MSComm2
    void zeroOffset();      // Command2
    void saveCalibration(); // Command1
    void closePort();

    Environment env_;
    std::unique_ptr<SerialLink> MSComm2;
    bool portOpened_ = false;
    QString port_; // as prog.cfg holds it
    CalibrationReceiver receiver_;
    QString WSUnits;
    QString ZeroOffset;

    QLineEdit* BatteryVolts = nullptr;
    QLabel* txtBattV = nullptr;
    QLabel* txtBattVadjusted = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* OffsetV = nullptr;
    QLineEdit* BatteryCurrent = nullptr;
    QLabel* txtShuntV = nullptr;
    QLabel* txtBattAadjusted = nullptr;
    QLineEdit* PulseDivider = nullptr;
    QLabel* txtPulsess = nullptr;
    QLabel* txtWindmillRPM = nullptr;
    QLabel* Label23 = nullptr;
    QLineEdit* Pulse2Divider = nullptr;
    QLabel* txtPulsess2 = nullptr;
    QLabel* txtWindSpeed = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command6 = nullptr;
};

} // namespace tarnby
