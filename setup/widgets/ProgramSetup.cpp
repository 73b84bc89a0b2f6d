#include "setup/widgets/ProgramSetup.h"
#include "setup/widgets/NamedWidgets.h"

#include "platform/PortNaming.h"

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
#include <QVBoxLayout>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

// A bare check box: the label beside it says what it is, so it carries that as its
// accessible name.
QCheckBox* bareCheckBox(const char* name, QLabel* label, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QLatin1StringView(name));
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

QLineEdit* textBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(u"Text1"_s, parent);
    box->setObjectName(QLatin1StringView(name));
    return box;
}

// One frame of option buttons; the group's button ids are the buttons' values.
QGroupBox* optionFrame(const char* name, const QString& title, OptionFrame frame,
                       QButtonGroup*& group, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1StringView(name));
    group = new QButtonGroup(box);
    group->setExclusive(true);
    auto* column = new QVBoxLayout(box);
    for (const OptionButton& option : optionButtons(frame)) {
        auto* button = new QRadioButton(QString::fromLatin1(option.caption), box);
        button->setObjectName(QLatin1StringView(option.name));
        group->addButton(button, option.value);
        column->addWidget(button);
        if (option.value == designDefault(frame))
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

QString systemPortsText() {
    const QStringList ports = systemSerialPorts();
    return u"Serial ports on this computer: "_s +
           (ports.isEmpty() ? u"none found"_s : ports.join(u", "_s));
}

} // namespace

ProgramSetup::ProgramSetup(const Environment& env, QWidget* owner) : QDialog(owner), env_(env) {
    setObjectName(u"ProgramSetup"_s);
    setWindowTitle(u"Tarnby Setup"_s);
    buildControls();

    // The load step.
    const SetupLoading loading =
        loadSetupForm(ConfigReading::read(env_.paths.progCfg(), u"prog.cfg"_s));
    showForm(loading.form);
    if (!loading.problemMessage.isEmpty())
        env_.prompts.showMessage(owner, loading.problemMessage);
}

void ProgramSetup::buildControls() {
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

    auto* label1 = namedLabel("Label1", u"Com port"_s, this);
    PortNumber = textBox("PortNumber", this);
    PortNumber->setMaximumWidth(60);
    label1->setBuddy(PortNumber);
    PortDevice = new OneLineLabel(this);
    PortDevice->setObjectName(u"PortDevice"_s);
    addRow(label1, PortNumber, PortDevice);
    PortProblem = namedLabel("PortProblem", QString(), this);
    PortProblem->setWordWrap(true);
    PortProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PortProblem->hide();
    fields->addWidget(PortProblem, row++, 1, 1, 2);

    auto* label2 = namedLabel("Label2", u"Save HTML page?"_s, this);
    Savehtml = bareCheckBox("Savehtml", label2, this);
    addRow(label2, Savehtml, namedLabel("Label4", u"Saved to /html folder"_s, this));

    auto* label3 = namedLabel("Label3", u"Save Excel File?"_s, this);
    SaveExcel = bareCheckBox("SaveExcel", label3, this);
    addRow(label3, SaveExcel, namedLabel("Label5", u"Saved to /Excel folder"_s, this));

    auto* label6 = namedLabel("Label6", u"Default Logging Interval"_s, this);
    LogDelay = textBox("LogDelay", this);
    LogDelay->setMaximumWidth(60);
    label6->setBuddy(LogDelay);
    addRow(label6, LogDelay, namedLabel("Label8", u"Seconds ( 10 - 600 )"_s, this));

    auto* label7 = namedLabel("Label7", u"Start Logger Automatically?"_s, this);
    LogOn = bareCheckBox("LogOn", label7, this);
    addRow(label7, LogOn);

    auto* label9 = namedLabel("Label9", u"Display RPM?"_s, this);
    DisplayRPM = bareCheckBox("DisplayRPM", label9, this);
    addRow(label9, DisplayRPM);

    auto* label10 = namedLabel("Label10", u"Display Wind Speed?"_s, this);
    DisplayWS = bareCheckBox("DisplayWS", label10, this);
    addRow(label10, DisplayWS);

    auto* label11 = namedLabel("Label11", u"Wind Speed Units"_s, this);
    WSUnits = textBox("WSUnits", this);
    WSUnits->setMaximumWidth(120);
    label11->setBuddy(WSUnits);
    addRow(label11, WSUnits);

    auto* frames = new QHBoxLayout;
    frames->addWidget(optionFrame("Frame2", u"System Voltage"_s, OptionFrame::SystemVoltage,
                                  SystemVoltage, this));
    frames->addWidget(optionFrame("Frame1", u"Max System Amps"_s, OptionFrame::MaxSystemAmps,
                                  MaxSystemAmps, this));
    frames->addWidget(optionFrame("Frame3", u"Baud rate"_s, OptionFrame::BaudRate, BaudRate, this));

    auto* systemPorts = namedLabel("SystemPorts", systemPortsText(), this);
    systemPorts->setWordWrap(true);
    systemPorts->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Command2 = new QPushButton(u"Abort"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command1 = new QPushButton(u"Save Setings"_s, this);
    Command1->setObjectName(u"Command1"_s);
    // Enter saves wherever the focus is; Abort (which also writes the file) needs a click or
    // Space.
    Command2->setAutoDefault(false);
    Command1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(fields);
    window->addLayout(frames);
    window->addWidget(systemPorts);
    window->addSpacing(6);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Reading order: the fields top to bottom, the frames left to right, then the buttons.
    QList<QWidget*> order = {PortNumber, Savehtml,   SaveExcel, LogDelay,
                             LogOn,      DisplayRPM, DisplayWS, WSUnits};
    for (QButtonGroup* group : {SystemVoltage, MaxSystemAmps, BaudRate}) {
        for (QAbstractButton* button : group->buttons())
            order << button;
    }
    order << Command2 << Command1;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(PortNumber, &QLineEdit::textChanged, this, &ProgramSetup::showPortDevice);
    // Signals the load step does not send: typing, clicks and the keys that select a button.
    const auto userChanged = [this] { userChanged_ = true; };
    for (QLineEdit* box : {PortNumber, LogDelay, WSUnits})
        connect(box, &QLineEdit::textEdited, this, userChanged);
    for (QCheckBox* box : {Savehtml, SaveExcel, LogOn, DisplayRPM, DisplayWS})
        connect(box, &QCheckBox::clicked, this, userChanged);
    for (QButtonGroup* group : {SystemVoltage, MaxSystemAmps, BaudRate})
        connect(group, &QButtonGroup::buttonClicked, this, userChanged);
    connect(Command1, &QPushButton::clicked, this, &ProgramSetup::saveSettings);
    connect(Command2, &QPushButton::clicked, this, &ProgramSetup::abortSetup);
}

void ProgramSetup::showForm(const SetupForm& form) {
    PortNumber->setText(form.PortNumber);
    setCheckValue(Savehtml, form.Savehtml);
    setCheckValue(SaveExcel, form.SaveExcel);
    LogDelay->setText(form.LogDelay);
    setCheckValue(LogOn, form.LogOn);
    setCheckValue(DisplayRPM, form.DisplayRPM);
    setCheckValue(DisplayWS, form.DisplayWS);
    WSUnits->setText(form.WSUnits);
    selectOption(SystemVoltage, form.SetupSV);
    selectOption(MaxSystemAmps, form.SetupMA);
    selectOption(BaudRate, form.SetupBR);
    showPortDevice();
}

SetupForm ProgramSetup::shownForm() const {
    SetupForm form;
    form.PortNumber = PortNumber->text();
    form.Savehtml = checkValue(Savehtml);
    form.SaveExcel = checkValue(SaveExcel);
    form.LogDelay = LogDelay->text();
    form.LogOn = checkValue(LogOn);
    form.DisplayRPM = checkValue(DisplayRPM);
    form.DisplayWS = checkValue(DisplayWS);
    form.WSUnits = WSUnits->text();
    form.SetupSV = SystemVoltage->checkedId();
    form.SetupMA = MaxSystemAmps->checkedId();
    form.SetupBR = BaudRate->checkedId();
    return form;
}

void ProgramSetup::saveSettings() {
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

void ProgramSetup::abortSetup() {
    PortNumber->setText(u"0"_s);
    saveSettings();
}

void ProgramSetup::setPortProblem(const QString& reason) {
    failedPort_ = PortNumber->text();
    PortProblem->setText(reason);
    // Once shown it keeps its place, so typing another number does not resize the window.
    QSizePolicy policy = PortProblem->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    PortProblem->setSizePolicy(policy);
    showPortDevice();
}

void ProgramSetup::showPortDevice() {
    PortProblem->setVisible(!PortProblem->text().isEmpty() && PortNumber->text() == failedPort_);
    const AppPaths& paths = env_.paths;
    PortDevice->setText(portDeviceHint(PortNumber->text(), [&paths](int port) {
        const QString device = deviceForPort(paths.portLink(port), port);
        const QFileInfo entry(device);
        QString text = device;
        if (entry.isSymLink())
            text += u" \u2192 "_s + entry.symLinkTarget();
        if (!entry.exists())
            text += u" (not present)"_s;
        return text;
    }));
    PortDevice->setToolTip(PortDevice->text());
}

} // namespace tarnby
