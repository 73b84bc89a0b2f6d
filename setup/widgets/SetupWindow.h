#pragma once
// The program setup window: edits prog.cfg.
//
// The load step runs in the constructor, before the window is shown; a prog.cfg that is
// missing, incomplete or holds unusable values is reported in a message and the window opens
// with starting values for what could not be used (see SetupForm.h), so the user can save a
// complete file. "Save Setings" (also Enter) writes prog.cfg and closes; a refused or failed
// save writes nothing (the old file stays) and leaves the window open with everything as
// typed. "Abort" sets the port number to "0" and saves. Escape, reject() and the title-bar
// close write nothing. "Publishing…" opens the window that edits mqtt.cfg; publishingSaved()
// says it saved the file.
//
// The window keeps its size while the port number is typed: the device hint beside it is one
// line, elided when too long, with the whole text in its tooltip. Tab enters each frame of
// option buttons on the selected one; the arrow keys move within the frame.

#include "platform/widgets/Environment.h"
#include "setup/SetupForm.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class SetupWindow : public QDialog {
    Q_OBJECT
public:
    SetupWindow(const Environment& env, QWidget* owner);

    // The values as the window shows them now.
    SetupForm shownForm() const;

    // Why the port named in the port number box could not be opened ("permission denied: join
    // the group dialout ..."), shown under the port's device line for as long as the box holds
    // that number. Call it before the window is shown.
    void setPortProblem(const QString& reason);
    // Says that the port is tried every few seconds and that the window closes by itself when
    // it opens, unless the user changes something (the window of a port failure recovery).
    void showWaitingForPort();
    // True once the user has typed into a box or clicked a box or button; what the load step
    // fills in does not count.
    bool userChangedSomething() const { return userChanged_; }

signals:
    void publishingSaved();

private:
    void buildControls();
    void showForm(const SetupForm& form);
    void saveSettings();
    void abortSetup();
    void showPortDevice();
    void editPublishing();

    Environment env_;
    bool userChanged_ = false;
    QString failedPort_; // the port number text whose problem portProblemLabel_ shows
    QLineEdit* portNumberBox_ = nullptr;
    QLabel* portDeviceLabel_ = nullptr;
    QLabel* portProblemLabel_ = nullptr;
    QLabel* portWaitingLabel_ = nullptr;
    QCheckBox* saveHtmlBox_ = nullptr;
    QCheckBox* saveExcelBox_ = nullptr;
    QLineEdit* intervalBox_ = nullptr;
    QCheckBox* autoStartBox_ = nullptr;
    QCheckBox* showRpmBox_ = nullptr;
    QCheckBox* showWindSpeedBox_ = nullptr;
    QLineEdit* windSpeedUnitsBox_ = nullptr;
    // Each group's button ids are the buttons' values.
    QButtonGroup* systemVoltageGroup_ = nullptr;
    QButtonGroup* maxAmpsGroup_ = nullptr;
    QButtonGroup* baudRateGroup_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* publishingButton_ = nullptr;
};

} // namespace tarnby
