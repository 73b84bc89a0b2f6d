#include "setup/widgets/SetupWindow.h"

#include "common/widgets/NamedWidget.h"
#include "platform/PortNaming.h"
#include "publish/widgets/PublishingWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QSysInfo>
#include <QVBoxLayout>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

// A bare check box: the label beside it says what it is, so it carries that as its
// accessible name.
QCheckBox* bareCheckBox(const char* name, QLabel* label, QWidget* parent) {
    auto* box = makeNamed<QCheckBox>(parent, name);
    box->setAccessibleName(label->text());
    label->setBuddy(box);
    // A greyed value (2) can only come from the file; a click sets the box on or off again.
    QObject::connect(box, &QCheckBox::clicked, box, [box] {
        if (box->isTristate() && box->checkState() != Qt::PartiallyChecked)
            box->setTristate(false);
    });
    return box;
}

void setCheckValue(QCheckBox* box, int value) {
    box->setTristate(value == 2);
    box->setCheckState(value == 2   ? Qt::PartiallyChecked
                       : value == 1 ? Qt::Checked
                                    : Qt::Unchecked);
}

int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

// One line whose width does not follow its text, so typing never resizes the window: a text
// too long for it is elided in the middle (text() and the tooltip keep it whole).
class OneLineLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override {
        const QMargins margins = contentsMargins();
        return {fontMetrics().averageCharWidth() * 32 + margins.left() + margins.right(),
                fontMetrics().height() + margins.top() + margins.bottom()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()),
                              foregroundRole());
    }
};

// Tab enters a frame on its selected button, where Space changes nothing; on any other button
// Space would select it unseen.
void tabToSelectedButton(QButtonGroup* group) {
    for (QAbstractButton* button : group->buttons())
        button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

// One frame of option buttons; the group's button ids are the buttons' values.
QGroupBox* optionFrame(const char* name, const QString& title, OptionFrame frame,
                       QButtonGroup*& group, QWidget* parent) {
    auto* box = makeNamed<QGroupBox>(parent, name, title);
    group = new QButtonGroup(box);
    group->setExclusive(true);
    auto* column = new QVBoxLayout(box);
    for (const OptionButton& option : optionButtons(frame)) {
        auto* button =
            makeNamed<QRadioButton>(box, option.name, QString::fromLatin1(option.caption));
        group->addButton(button, option.value);
        column->addWidget(button);
        if (option.value == defaultOptionValue(frame))
            button->setChecked(true);
    }
    tabToSelectedButton(group);
    QObject::connect(group, &QButtonGroup::buttonToggled, group,
                     [group] { tabToSelectedButton(group); });
    column->addStretch();
    return box;
}

void selectOption(QButtonGroup* group, int value) {
    if (QAbstractButton* button = group->button(value))
        button->setChecked(true);
}

QString systemPortsText(const Environment& env) {
    const QStringList ports = env.listSerialPorts ? env.listSerialPorts() : QStringList();
    return u"Serial ports on this computer: "_s +
           (ports.isEmpty() ? u"none found"_s : ports.join(u", "_s));
}

} // namespace

SetupWindow::SetupWindow(const Environment& env, QWidget* owner) : QDialog(owner), env_(env) {
    setObjectName(u"ProgramSetup"_s);
    setWindowTitle(u"Tarnby Setup"_s);
    buildControls();

    // The load step.
    const SetupLoading loading = loadSetupForm(readProgCfg(env_.paths.progCfg()));
    showForm(loading.form);
    if (!loading.problemMessage.isEmpty())
        env_.prompts.showMessage(owner, loading.problemMessage);
}

void SetupWindow::buildControls() {
    auto* fields = new QGridLayout;
    fields->setColumnStretch(2, 1);
    fields->setHorizontalSpacing(12);
    int row = 0;
    auto addRow = [&](QWidget* label, QWidget* control, QWidget* note = nullptr) {
        fields->addWidget(label, row, 0);
        fields->addWidget(control, row, 1, Qt::AlignLeft);
        if (note)
            fields->addWidget(note, row, 2);
        ++row;
    };

    // The object names of the captions and boxes are those tests find them by.
    auto* portCaption = makeNamed<QLabel>(this, "Label1", u"Com port"_s);
    portNumberBox_ = makeNamed<QLineEdit>(this, "PortNumber", u"Text1"_s);
    portNumberBox_->setMaximumWidth(60);
    portCaption->setBuddy(portNumberBox_);
    portDeviceLabel_ = makeNamed<OneLineLabel>(this, "PortDevice");
    addRow(portCaption, portNumberBox_, portDeviceLabel_);
    portProblemLabel_ = makeNamed<QLabel>(this, "PortProblem", QString());
    portProblemLabel_->setWordWrap(true);
    portProblemLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    portProblemLabel_->hide();
    fields->addWidget(portProblemLabel_, row++, 1, 1, 2);
    portWaitingLabel_ = makeNamed<QLabel>(
        this, "PortWaiting",
        u"Tarnby is trying the port every few seconds and will close this window by itself when "
        "the port opens, unless you change something here."_s);
    portWaitingLabel_->setWordWrap(true);
    portWaitingLabel_->hide();
    fields->addWidget(portWaitingLabel_, row++, 1, 1, 2);

    auto* htmlCaption = makeNamed<QLabel>(this, "Label2", u"Save HTML page?"_s);
    saveHtmlBox_ = bareCheckBox("Savehtml", htmlCaption, this);
    addRow(htmlCaption, saveHtmlBox_,
           makeNamed<QLabel>(this, "Label4", u"Saved to /html folder"_s));

    auto* excelCaption = makeNamed<QLabel>(this, "Label3", u"Save Excel File?"_s);
    saveExcelBox_ = bareCheckBox("SaveExcel", excelCaption, this);
    addRow(excelCaption, saveExcelBox_,
           makeNamed<QLabel>(this, "Label5", u"Saved to /Excel folder"_s));

    auto* intervalCaption = makeNamed<QLabel>(this, "Label6", u"Default Logging Interval"_s);
    intervalBox_ = makeNamed<QLineEdit>(this, "LogDelay", u"Text1"_s);
    intervalBox_->setMaximumWidth(60);
    intervalCaption->setBuddy(intervalBox_);
    addRow(intervalCaption, intervalBox_,
           makeNamed<QLabel>(this, "Label8", u"Seconds ( 10 - 600 )"_s));

    auto* autoStartCaption = makeNamed<QLabel>(this, "Label7", u"Start Logger Automatically?"_s);
    autoStartBox_ = bareCheckBox("LogOn", autoStartCaption, this);
    addRow(autoStartCaption, autoStartBox_);

    auto* rpmCaption = makeNamed<QLabel>(this, "Label9", u"Display RPM?"_s);
    showRpmBox_ = bareCheckBox("DisplayRPM", rpmCaption, this);
    addRow(rpmCaption, showRpmBox_);

    auto* windSpeedCaption = makeNamed<QLabel>(this, "Label10", u"Display Wind Speed?"_s);
    showWindSpeedBox_ = bareCheckBox("DisplayWS", windSpeedCaption, this);
    addRow(windSpeedCaption, showWindSpeedBox_);

    auto* unitsCaption = makeNamed<QLabel>(this, "Label11", u"Wind Speed Units"_s);
    windSpeedUnitsBox_ = makeNamed<QLineEdit>(this, "WSUnits", u"Text1"_s);
    windSpeedUnitsBox_->setMaximumWidth(120);
    unitsCaption->setBuddy(windSpeedUnitsBox_);
    addRow(unitsCaption, windSpeedUnitsBox_);

    auto* frames = new QHBoxLayout;
    frames->addWidget(optionFrame("Frame2", u"System Voltage"_s, OptionFrame::SystemVoltage,
                                  systemVoltageGroup_, this));
    frames->addWidget(optionFrame("Frame1", u"Max System Amps"_s, OptionFrame::MaxSystemAmps,
                                  maxAmpsGroup_, this));
    frames->addWidget(
        optionFrame("Frame3", u"Baud rate"_s, OptionFrame::BaudRate, baudRateGroup_, this));

    auto* systemPorts = makeNamed<QLabel>(this, "SystemPorts", systemPortsText(env_));
    systemPorts->setWordWrap(true);
    systemPorts->setTextInteractionFlags(Qt::TextSelectableByMouse);

    abortButton_ = makeNamed<QPushButton>(this, "Command2", u"Abort"_s);
    saveButton_ = makeNamed<QPushButton>(this, "Command1", u"Save Setings"_s);
    // Enter saves wherever the focus is; Abort (which also writes the file) needs a click or
    // Space.
    abortButton_->setAutoDefault(false);
    saveButton_->setDefault(true);
    publishingButton_ = makeNamed<QPushButton>(this, "PublishingButton", u"Publishing…"_s);
    publishingButton_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(abortButton_);
    buttons->addStretch();
    buttons->addWidget(publishingButton_);
    buttons->addWidget(saveButton_);

    auto* window = new QVBoxLayout(this);
    window->addLayout(fields);
    window->addLayout(frames);
    window->addWidget(systemPorts);
    window->addSpacing(6);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Reading order: the fields top to bottom, the frames left to right, then the buttons.
    QList<QWidget*> order = {portNumberBox_, saveHtmlBox_, saveExcelBox_,     intervalBox_,
                             autoStartBox_,  showRpmBox_,  showWindSpeedBox_, windSpeedUnitsBox_};
    for (QButtonGroup* group : {systemVoltageGroup_, maxAmpsGroup_, baudRateGroup_}) {
        for (QAbstractButton* button : group->buttons())
            order << button;
    }
    order << abortButton_ << publishingButton_ << saveButton_;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(portNumberBox_, &QLineEdit::textChanged, this, &SetupWindow::showPortDevice);
    // Signals the load step does not send: typing, clicks and the keys that select a button.
    const auto userChanged = [this] { userChanged_ = true; };
    for (QLineEdit* box : {portNumberBox_, intervalBox_, windSpeedUnitsBox_})
        connect(box, &QLineEdit::textEdited, this, userChanged);
    for (QCheckBox* box :
         {saveHtmlBox_, saveExcelBox_, autoStartBox_, showRpmBox_, showWindSpeedBox_})
        connect(box, &QCheckBox::clicked, this, userChanged);
    for (QButtonGroup* group : {systemVoltageGroup_, maxAmpsGroup_, baudRateGroup_})
        connect(group, &QButtonGroup::buttonClicked, this, userChanged);
    connect(saveButton_, &QPushButton::clicked, this, &SetupWindow::saveSettings);
    connect(abortButton_, &QPushButton::clicked, this, &SetupWindow::abortSetup);
    connect(publishingButton_, &QPushButton::clicked, this, &SetupWindow::editPublishing);
}

void SetupWindow::editPublishing() {
    userChanged_ = true; // a recovery must not close this window under the one it opens
    PublishingWindow publishingWindow(env_.paths.mqttCfg(), QSysInfo::machineHostName(),
                                      env_.makeMqttConnection, env_.prompts, this);
    env_.prompts.runModal(publishingWindow);
    if (publishingWindow.result() == QDialog::Accepted)
        emit publishingSaved();
}

void SetupWindow::showForm(const SetupForm& form) {
    portNumberBox_->setText(form.PortNumber);
    setCheckValue(saveHtmlBox_, form.Savehtml);
    setCheckValue(saveExcelBox_, form.SaveExcel);
    intervalBox_->setText(form.LogDelay);
    setCheckValue(autoStartBox_, form.LogOn);
    setCheckValue(showRpmBox_, form.DisplayRPM);
    setCheckValue(showWindSpeedBox_, form.DisplayWS);
    windSpeedUnitsBox_->setText(form.WSUnits);
    selectOption(systemVoltageGroup_, form.systemVoltage);
    selectOption(maxAmpsGroup_, form.maxAmps);
    selectOption(baudRateGroup_, form.baudRate);
    showPortDevice();
}

SetupForm SetupWindow::shownForm() const {
    SetupForm form;
    form.PortNumber = portNumberBox_->text();
    form.Savehtml = checkValue(saveHtmlBox_);
    form.SaveExcel = checkValue(saveExcelBox_);
    form.LogDelay = intervalBox_->text();
    form.LogOn = checkValue(autoStartBox_);
    form.DisplayRPM = checkValue(showRpmBox_);
    form.DisplayWS = checkValue(showWindSpeedBox_);
    form.WSUnits = windSpeedUnitsBox_->text();
    form.systemVoltage = systemVoltageGroup_->checkedId();
    form.maxAmps = maxAmpsGroup_->checkedId();
    form.baudRate = baudRateGroup_->checkedId();
    return form;
}

void SetupWindow::saveSettings() {
    const SetupForm form = shownForm();
    if (const QString refusal = setupSaveRefusal(form); !refusal.isEmpty()) {
        env_.prompts.showMessage(this, refusal);
        return;
    }
    const QString path = env_.paths.progCfg();
    if (const FileOutcome outcome = writeProgCfg(path, progSettingsFor(form)); !outcome.ok) {
        env_.prompts.showMessage(this, saveFailureMessage(path, outcome));
        return;
    }
    accept();
}

void SetupWindow::abortSetup() {
    portNumberBox_->setText(u"0"_s);
    saveSettings();
}

void SetupWindow::setPortProblem(const QString& reason) {
    failedPort_ = portNumberBox_->text();
    portProblemLabel_->setText(reason);
    // Once shown it keeps its place, so typing another number does not resize the window.
    QSizePolicy policy = portProblemLabel_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    portProblemLabel_->setSizePolicy(policy);
    showPortDevice();
}

void SetupWindow::showWaitingForPort() {
    portWaitingLabel_->show();
}

void SetupWindow::showPortDevice() {
    portProblemLabel_->setVisible(!portProblemLabel_->text().isEmpty() &&
                                  portNumberBox_->text() == failedPort_);
    const AppPaths& paths = env_.paths;
    portDeviceLabel_->setText(portDeviceHint(portNumberBox_->text(), [&paths](int port) {
        const QString device = deviceForPort(paths.portLink(port), port);
        const QFileInfo entry(device);
        QString text = device;
        if (entry.isSymLink())
            text += u" \u2192 "_s + entry.symLinkTarget();
        if (!entry.exists())
            text += u" (not present)"_s;
        return text;
    }));
    portDeviceLabel_->setToolTip(portDeviceLabel_->text());
}

} // namespace tarnby
