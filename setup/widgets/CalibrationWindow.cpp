#include "setup/widgets/CalibrationWindow.h"

#include "common/widgets/NamedWidget.h"
#include "session/BoardPort.h"
#include "setup/CalibrationForm.h"
#include "setup/SetupForm.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

QLabel* heading(const char* name, const QString& text, QWidget* parent) {
    auto* label = makeNamed<QLabel>(parent, name, text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A reading the window writes: framed so an empty caption still shows where it will appear.
QLabel* readout(const char* name, const QString& text, QWidget* parent) {
    auto* label = makeNamed<QLabel>(parent, name, text);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(110);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* factorBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = makeNamed<QLineEdit>(parent, name, text);
    box->setMaximumWidth(90);
    return box;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* pushButton = makeNamed<QPushButton>(parent, name, text);
    // Enter must not press a button while the user adjusts a factor.
    pushButton->setAutoDefault(false);
    pushButton->setDefault(false);
    return pushButton;
}

} // namespace

CalibrationWindow::CalibrationWindow(const Environment& env, QWidget* owner)
    : QDialog(owner), env_(env) {
    setObjectName(u"Calibrate"_s);
    setWindowTitle(u"Calibration"_s);
    buildControls();

    // Loading, in order: prog.cfg, settings.cfg, the wind-speed question, the port, the boxes.
    const ProgConfig prog = readProgCfg(env_.paths.progCfg());
    line_ = lineSettingsOf(prog);
    windSpeedUnits_ = prog.WSUnits.text;
    const CalibrationLoading loading =
        loadCalibrationBoxes(readSettingsCfg(env_.paths.settingsCfg()));
    offset_ = loading.boxes.VoltOffset;
    windSpeedQuestion_->setText(windSpeedQuestion(windSpeedUnits_));
    portOpened_ = openPort();
    voltsFactorBox_->setText(loading.boxes.VoltDivider);
    ampsFactorBox_->setText(loading.boxes.AmpDivider);
    offsetLabel_->setText(offset_);
    rpmFactorBox_->setText(loading.boxes.RPMDivider);
    windSpeedFactorBox_->setText(loading.boxes.WSDivider);

    // Without a port the window is not shown, and the setup window the owner opens next
    // reports any prog.cfg problem itself.
    if (!portOpened_)
        return;
    const QString progMessage = prog.problemMessage(
        prog.problems({&prog.Port, &prog.BR, &prog.WSUnits}, true),
        u"The wind speed is shown without its unit text until the setup window saves a complete "
        "prog.cfg."_s);
    if (!progMessage.isEmpty())
        env_.prompts.showMessage(owner, progMessage);
    if (!loading.problemMessage.isEmpty())
        env_.prompts.showMessage(owner, loading.problemMessage);
}

QString CalibrationWindow::portProblem() const {
    return boardPort_->reason();
}

CalibrationWindow::~CalibrationWindow() {
    closePort();
}

void CalibrationWindow::buildControls() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setColumnStretch(3, 1);
    int row = 0;
    auto addLine = [&](QWidget* widget) { grid->addWidget(widget, row++, 0, 1, 4); };
    auto caption = [this](const char* name, const QString& text) {
        return makeNamed<QLabel>(this, name, text);
    };
    auto addReadings = [&](QWidget* box, QLabel* raw, const char* equalsName, QLabel* scaled) {
        grid->addWidget(box, row, 0);
        grid->addWidget(raw, row, 1);
        grid->addWidget(caption(equalsName, u"="_s), row, 2, Qt::AlignCenter);
        grid->addWidget(scaled, row, 3);
        ++row;
    };
    auto addGap = [&] { grid->setRowMinimumHeight(row++, 12); };

    addLine(heading("Label8", u"Step 1. Set Voltage"_s, this));
    addLine(caption("Label2", u"Measure your battery voltage, and then adjust"_s));
    addLine(caption("Label9", u"this value until the correct battery voltage"_s));
    addLine(caption("Label10", u"is displayed"_s));
    voltsFactorBox_ = factorBox("BatteryVolts", u"0"_s, this);
    rawVoltsLabel_ = readout("txtBattV", u"0"_s, this);
    voltsLabel_ = readout("txtBattVadjusted", QString(), this);
    addReadings(voltsFactorBox_, rawVoltsLabel_, "Label6", voltsLabel_);
    addGap();

    addLine(heading("Label11", u"Step 2. Set Current"_s, this));
    addLine(caption("Label7", u"With no current flowing, press the Zero button.."_s));
    zeroButton_ = button("Command2", u"Zero"_s, this);
    offsetLabel_ = caption("OffsetV", u"0"_s);
    auto* offsetRow = new QHBoxLayout;
    offsetRow->setSpacing(8);
    offsetRow->addWidget(caption("Label1", u"Offset"_s));
    offsetRow->addWidget(offsetLabel_);
    offsetRow->addStretch();
    grid->addWidget(zeroButton_, row, 0);
    grid->addLayout(offsetRow, row++, 1, 1, 3);
    addLine(caption("Label12", u"Apply a charging current, and adjust this"_s));
    addLine(caption("Label13", u"value until the correct amps is displayed."_s));
    ampsFactorBox_ = factorBox("BatteryCurrent", u"0"_s, this);
    rawCurrentLabel_ = readout("txtShuntV", u"0"_s, this);
    ampsLabel_ = readout("txtBattAadjusted", QString(), this);
    addReadings(ampsFactorBox_, rawCurrentLabel_, "Label20", ampsLabel_);
    addGap();

    addLine(heading("Label14", u"Step 3. Set RPM"_s, this));
    addLine(caption("Label3", u"How many pulses per revolution?"_s));
    addLine(caption("Label15", u"ie, for a Fisher/Paykel, type in 14."_s));
    rpmFactorBox_ = factorBox("PulseDivider", u"1"_s, this);
    rawPulsesLabel_ = readout("txtPulsess", u"0"_s, this);
    rpmLabel_ = readout("txtWindmillRPM", QString(), this);
    addReadings(rpmFactorBox_, rawPulsesLabel_, "Label16", rpmLabel_);
    addGap();

    addLine(heading("Label21", u"Step 4. Set Wind Speed"_s, this));
    windSpeedQuestion_ = caption("Label23", u"How many pulses per revolution?"_s);
    addLine(windSpeedQuestion_);
    windSpeedFactorBox_ = factorBox("Pulse2Divider", u"1"_s, this);
    rawWindPulsesLabel_ = readout("txtPulsess2", u"0"_s, this);
    windSpeedLabel_ = readout("txtWindSpeed", QString(), this);
    addReadings(windSpeedFactorBox_, rawWindPulsesLabel_, "Label4", windSpeedLabel_);

    saveButton_ = button("Command1", u"Save Calibration"_s, this);
    exitButton_ = button("Command6", u"Exit ( dont save )"_s, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton_);
    buttons->addStretch();
    buttons->addWidget(exitButton_);

    auto* window = new QVBoxLayout(this);
    window->addLayout(grid);
    window->addSpacing(12);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    const QList<QWidget*> order = {voltsFactorBox_,     zeroButton_, ampsFactorBox_, rpmFactorBox_,
                                   windSpeedFactorBox_, saveButton_, exitButton_};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(zeroButton_, &QPushButton::clicked, this, &CalibrationWindow::zeroOffset);
    connect(saveButton_, &QPushButton::clicked, this, &CalibrationWindow::saveCalibration);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::reject);
}

bool CalibrationWindow::openPort() {
    boardPort_ = std::make_unique<BoardPort>(env_.makeSerialLink());
    connect(boardPort_.get(), &BoardPort::dataArrived, this, &CalibrationWindow::receiveFromPort);
    connect(boardPort_.get(), &BoardPort::lost, this, [this] {
        const QString reason = boardPort_->reason();
        boardPort_->close(); // this window does not try it again
        env_.prompts.showMessage(
            this, u"The connection to the sensor board on %1 was lost (%2). The readings stop "
                  "here; close this window and the logger reopens the port."_s.arg(
                      boardPort_->deviceName(), reason));
    });
    return boardPort_->open(line_);
}

CalibrationSettings CalibrationWindow::typedFactors() const {
    return CalibrationSettings{voltsFactorBox_->text(), offset_, ampsFactorBox_->text(),
                               rpmFactorBox_->text(), windSpeedFactorBox_->text()};
}

void CalibrationWindow::receiveFromPort() {
    const QByteArray bytes = boardPort_->readAll();
    const auto captions = receiver_.receive(bytes, typedFactors(), windSpeedUnits_);
    if (!captions)
        return;
    rawVoltsLabel_->setText(captions->rawVolts);
    rawCurrentLabel_->setText(captions->rawCurrent);
    rawPulsesLabel_->setText(captions->rawPulses);
    rpmLabel_->setText(captions->rpm);
    rawWindPulsesLabel_->setText(captions->rawWindPulses);
    windSpeedLabel_->setText(captions->windSpeed);
    if (captions->volts)
        voltsLabel_->setText(*captions->volts);
    if (captions->amps)
        ampsLabel_->setText(*captions->amps);
}

void CalibrationWindow::zeroOffset() {
    offset_ = rawCurrentLabel_->text();
    offsetLabel_->setText(offset_);
}

void CalibrationWindow::saveCalibration() {
    const CalibrationSettings factors = typedFactors();
    if (const QString refusal = calibrationSaveRefusal(factors); !refusal.isEmpty()) {
        env_.prompts.showMessage(this, refusal);
        return;
    }
    const QString path = env_.paths.settingsCfg();
    if (const FileOutcome outcome = writeSettingsCfg(path, factors); !outcome.ok) {
        env_.prompts.showMessage(this, saveFailureMessage(path, outcome));
        return;
    }
    closePort();
    accept();
}

void CalibrationWindow::done(int result) {
    closePort();
    QDialog::done(result);
}

void CalibrationWindow::closePort() {
    if (boardPort_)
        boardPort_->close();
}

} // namespace tarnby
