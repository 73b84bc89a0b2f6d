#include "setup/widgets/Calibrate.h"
#include "setup/widgets/NamedWidgets.h"

#include "acquisition/BoardPort.h"
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
    QLabel* label = namedLabel(name, text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A reading the window writes: framed so an empty caption still shows where it will appear.
QLabel* readout(const char* name, const QString& text, QWidget* parent) {
    QLabel* label = namedLabel(name, text, parent);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(110);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* factorBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1StringView(name));
    box->setMaximumWidth(90);
    return box;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* pushButton = new QPushButton(text, parent);
    pushButton->setObjectName(QLatin1StringView(name));
    // Enter must not press a button while the user adjusts a factor.
    pushButton->setAutoDefault(false);
    pushButton->setDefault(false);
    return pushButton;
}

} // namespace

Calibrate::Calibrate(const Environment& env, QWidget* owner) : QDialog(owner), env_(env) {
    setObjectName(u"Calibrate"_s);
    setWindowTitle(u"Calibration"_s);
    buildControls();

    // Loading, in order: prog.cfg, settings.cfg, the wind-speed question, the port, the boxes.
    ConfigReading prog = ConfigReading::read(env_.paths.progCfg(), u"prog.cfg"_s);
    port_ = prog.take("Port"_L1);
    const QString baudRate = prog.take("BR"_L1);
    WSUnits = prog.take("WSUnits"_L1);
    const CalibrationLoading loading =
        loadCalibrationBoxes(ConfigReading::read(env_.paths.settingsCfg(), u"settings.cfg"_s));
    ZeroOffset = loading.boxes.VoltOffset;
    Label23->setText(windSpeedQuestion(WSUnits));
    portOpened_ = openPort(port_, baudRate);
    BatteryVolts->setText(loading.boxes.VoltDivider);
    BatteryCurrent->setText(loading.boxes.AmpDivider);
    OffsetV->setText(ZeroOffset);
    PulseDivider->setText(loading.boxes.RPMDivider);
    Pulse2Divider->setText(loading.boxes.WSDivider);

    // Without a port the window is not shown, and the setup window the owner opens next
    // reports any prog.cfg problem itself.
    if (!portOpened_)
        return;
    if (!prog.ok()) {
        env_.prompts.showMessage(
            owner, prog.problemMessage(u"The wind speed is shown without its unit text until "
                                       "the setup window saves a complete prog.cfg."_s));
    }
    if (!loading.problemMessage.isEmpty())
        env_.prompts.showMessage(owner, loading.problemMessage);
}

QString Calibrate::portProblem() const {
    return boardPortProblem(*MSComm2, port_);
}

Calibrate::~Calibrate() {
    closePort();
}

void Calibrate::buildControls() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setColumnStretch(3, 1);
    int row = 0;
    auto addLine = [&](QWidget* widget) { grid->addWidget(widget, row++, 0, 1, 4); };
    auto addReadings = [&](QWidget* box, QLabel* raw, const char* equalsName, QLabel* scaled) {
        grid->addWidget(box, row, 0);
        grid->addWidget(raw, row, 1);
        grid->addWidget(namedLabel(equalsName, u"="_s, this), row, 2, Qt::AlignCenter);
        grid->addWidget(scaled, row, 3);
        ++row;
    };
    auto addGap = [&] { grid->setRowMinimumHeight(row++, 12); };

    addLine(heading("Label8", u"Step 1. Set Voltage"_s, this));
    addLine(namedLabel("Label2", u"Measure your battery voltage, and then adjust"_s, this));
    addLine(namedLabel("Label9", u"this value until the correct battery voltage"_s, this));
    addLine(namedLabel("Label10", u"is displayed"_s, this));
    BatteryVolts = factorBox("BatteryVolts", u"0"_s, this);
    txtBattV = readout("txtBattV", u"0"_s, this);
    txtBattVadjusted = readout("txtBattVadjusted", QString(), this);
    addReadings(BatteryVolts, txtBattV, "Label6", txtBattVadjusted);
    addGap();

    addLine(heading("Label11", u"Step 2. Set Current"_s, this));
    addLine(namedLabel("Label7", u"With no current flowing, press the Zero button.."_s, this));
    Command2 = button("Command2", u"Zero"_s, this);
    OffsetV = namedLabel("OffsetV", u"0"_s, this);
    auto* offsetRow = new QHBoxLayout;
    offsetRow->setSpacing(8);
    offsetRow->addWidget(namedLabel("Label1", u"Offset"_s, this));
    offsetRow->addWidget(OffsetV);
    offsetRow->addStretch();
    grid->addWidget(Command2, row, 0);
    grid->addLayout(offsetRow, row++, 1, 1, 3);
    addLine(namedLabel("Label12", u"Apply a charging current, and adjust this"_s, this));
    addLine(namedLabel("Label13", u"value until the correct amps is displayed."_s, this));
    BatteryCurrent = factorBox("BatteryCurrent", u"0"_s, this);
    txtShuntV = readout("txtShuntV", u"0"_s, this);
    txtBattAadjusted = readout("txtBattAadjusted", QString(), this);
    addReadings(BatteryCurrent, txtShuntV, "Label20", txtBattAadjusted);
    addGap();

    addLine(heading("Label14", u"Step 3. Set RPM"_s, this));
    addLine(namedLabel("Label3", u"How many pulses per revolution?"_s, this));
    addLine(namedLabel("Label15", u"ie, for a Fisher/Paykel, type in 14."_s, this));
    PulseDivider = factorBox("PulseDivider", u"1"_s, this);
    txtPulsess = readout("txtPulsess", u"0"_s, this);
    txtWindmillRPM = readout("txtWindmillRPM", QString(), this);
    addReadings(PulseDivider, txtPulsess, "Label16", txtWindmillRPM);
    addGap();

    addLine(heading("Label21", u"Step 4. Set Wind Speed"_s, this));
    Label23 = namedLabel("Label23", u"How many pulses per revolution?"_s, this);
    addLine(Label23);
    Pulse2Divider = factorBox("Pulse2Divider", u"1"_s, this);
    txtPulsess2 = readout("txtPulsess2", u"0"_s, this);
    txtWindSpeed = readout("txtWindSpeed", QString(), this);
    addReadings(Pulse2Divider, txtPulsess2, "Label4", txtWindSpeed);

    Command1 = button("Command1", u"Save Calibration"_s, this);
    Command6 = button("Command6", u"Exit ( dont save )"_s, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch();
    buttons->addWidget(Command6);

    auto* window = new QVBoxLayout(this);
    window->addLayout(grid);
    window->addSpacing(12);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    const QList<QWidget*> order = {BatteryVolts,  Command2, BatteryCurrent, PulseDivider,
                                   Pulse2Divider, Command1, Command6};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Command2, &QPushButton::clicked, this, &Calibrate::zeroOffset);
    connect(Command1, &QPushButton::clicked, this, &Calibrate::saveCalibration);
    connect(Command6, &QPushButton::clicked, this, &QDialog::reject);
}

bool Calibrate::openPort(const QString& port, const QString& baudRate) {
    MSComm2 = env_.makeSerialLink();
    connect(MSComm2.get(), &SerialLink::dataArrived, this, &Calibrate::receiveFromPort);
    connect(MSComm2.get(), &SerialLink::linkLost, this, [this](const QString& reason) {
        env_.prompts.showMessage(
            this, u"The connection to the sensor board on %1 was lost (%2). The readings stop "
                  "here; close this window and the logger reopens the port."_s.arg(
                      MSComm2->deviceName(), reason));
    });
    return openBoardPort(*MSComm2, port, baudRate);
}

CalibrationSettings Calibrate::typedFactors() const {
    return CalibrationSettings{BatteryVolts->text(), ZeroOffset, BatteryCurrent->text(),
                               PulseDivider->text(), Pulse2Divider->text()};
}

void Calibrate::receiveFromPort() {
    const QByteArray bytes = MSComm2->readAll();
    const auto captions = receiver_.receive(bytes, typedFactors(), WSUnits);
    if (!captions)
        return;
    txtBattV->setText(captions->txtBattV);
    txtShuntV->setText(captions->txtShuntV);
    txtPulsess->setText(captions->txtPulsess);
    txtWindmillRPM->setText(captions->txtWindmillRPM);
    txtPulsess2->setText(captions->txtPulsess2);
    txtWindSpeed->setText(captions->txtWindSpeed);
    if (captions->txtBattVadjusted)
        txtBattVadjusted->setText(*captions->txtBattVadjusted);
    if (captions->txtBattAadjusted)
        txtBattAadjusted->setText(*captions->txtBattAadjusted);
}

void Calibrate::zeroOffset() {
    ZeroOffset = txtShuntV->text();
    OffsetV->setText(ZeroOffset);
}

void Calibrate::saveCalibration() {
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

void Calibrate::done(int result) {
    closePort();
    QDialog::done(result);
}

void Calibrate::closePort() {
    if (MSComm2 && MSComm2->isOpen())
        MSComm2->close();
}

} // namespace tarnby
