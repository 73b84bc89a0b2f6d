#pragma once
// The calibration window: shows the raw readings of the sensor board next to the values
// scaled with the factors being edited, and writes settings.cfg.
//
// Loading runs in the constructor: prog.cfg gives the port, baud rate and unit text,
// settings.cfg the factors, then the window opens its own port. When the port cannot be
// configured or opened, portOpened() is false and the window is not to be shown (the owner runs
// its port failure recovery). A settings.cfg that is missing, incomplete or holds a factor that
// is not a number does not stop the window: a message names the problems, the boxes show the
// stored texts (the starting values where a key is missing) and Save writes a complete file.
//
// "Save Calibration" writes settings.cfg exactly as typed and closes; a refused or failed save
// writes nothing (the old file stays) and leaves the window open. "Exit ( dont save )",
// Escape and the title-bar close write nothing. Enter does nothing: the user is still
// adjusting factors. The window's port is closed whenever the window closes.

#include "config/ProgSettings.h"
#include "platform/widgets/Environment.h"
#include "session/BoardPort.h"
#include "setup/CalibrationReceiver.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class CalibrationWindow : public QDialog {
    Q_OBJECT
public:
    CalibrationWindow(const Environment& env, QWidget* owner);
    ~CalibrationWindow() override;

    bool portOpened() const { return portOpened_; }
    // Why the port did not open.
    QString portProblem() const;
    // The factors as the boxes show them (VoltOffset is the current offset).
    CalibrationSettings typedFactors() const;

    void done(int result) override;

private:
    void buildControls();
    bool openPort();
    void receiveFromPort();
    void zeroOffset();
    void saveCalibration();
    void closePort();

    Environment env_;
    std::unique_ptr<BoardPort> boardPort_; // the window's own port to the board
    bool portOpened_ = false;
    LineChoice line_; // as prog.cfg names it
    CalibrationReceiver receiver_;
    QString windSpeedUnits_;
    // The raw current reading at zero current (settings.cfg's VoltOffset), as text.
    QString offset_;

    QLineEdit* voltsFactorBox_ = nullptr;
    QLabel* rawVoltsLabel_ = nullptr;
    QLabel* voltsLabel_ = nullptr;
    QPushButton* zeroButton_ = nullptr;
    QLabel* offsetLabel_ = nullptr;
    QLineEdit* ampsFactorBox_ = nullptr;
    QLabel* rawCurrentLabel_ = nullptr;
    QLabel* ampsLabel_ = nullptr;
    QLineEdit* rpmFactorBox_ = nullptr;
    QLabel* rawPulsesLabel_ = nullptr;
    QLabel* rpmLabel_ = nullptr;
    QLabel* windSpeedQuestion_ = nullptr;
    QLineEdit* windSpeedFactorBox_ = nullptr;
    QLabel* rawWindPulsesLabel_ = nullptr;
    QLabel* windSpeedLabel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
};

} // namespace tarnby
