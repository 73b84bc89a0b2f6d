#include "publish/widgets/PublishingWindow.h"

#include "common/widgets/NamedWidget.h"
#include "publish/PublishStatus.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarnby {

using namespace Qt::StringLiterals;

PublishingWindow::PublishingWindow(QString mqttCfgPath, QString hostName,
                                   MqttConnectionFactory makeConnection, UserPrompts& prompts,
                                   QWidget* owner)
    : QDialog(owner), path_(std::move(mqttCfgPath)), hostName_(std::move(hostName)),
      makeConnection_(std::move(makeConnection)), prompts_(prompts) {
    setObjectName(u"Publishing"_s);
    setWindowTitle(u"Publishing"_s);
    buildControls();
    const MqttSettingsReading reading = readMqttSettings(path_, hostName_);
    showSettings(reading.settings);
    result_->setText(reading.problem);
    testTimer_.setSingleShot(true);
    testTimer_.setInterval(TestTimeoutMs);
    connect(&testTimer_, &QTimer::timeout, this, [this] {
        testConnection_.reset();
        showTestResult(failureText(ConnectionFailure::NotAnswering, typedSettings(), {}));
    });
}

PublishingWindow::~PublishingWindow() = default;

void PublishingWindow::buildControls() {
    auto* form = new QFormLayout;
    const auto line = [&](const char* name, const QString& tip) {
        auto* box = makeNamed<QLineEdit>(this, name);
        box->setAccessibleName(QLatin1StringView(name));
        box->setToolTip(tip);
        form->addRow(QLatin1StringView(name), box);
        return box;
    };
    const auto number = [&](const char* name, int low, int high) {
        auto* box = makeNamed<QSpinBox>(this, name);
        box->setRange(low, high);
        box->setAccessibleName(QLatin1StringView(name));
        form->addRow(QLatin1StringView(name), box);
        return box;
    };
    const auto check = [&](const char* name, const QString& text) {
        auto* box = makeNamed<QCheckBox>(this, name, text);
        box->setAccessibleName(QLatin1StringView(name));
        form->addRow(QString(), box);
        return box;
    };
    host_ = line("Host", u"The broker's host name or address; empty: nothing is published"_s);
    port_ = number("Port", 1, 65535);
    user_ = line("User", u"Empty when the broker takes anyone"_s);
    password_ = line("Password", {});
    password_->setEchoMode(QLineEdit::Password);
    site_ = line("Site", u"Names this logger in the topics: letters, digits, _ and -"_s);
    tls_ = check("TLS", u"TLS (the broker's certificate is checked)"_s);
    caFile_ = line("CAFile", u"The certificate authority to trust; empty: the system's"_s);
    discovery_ = check("Discovery", u"Announce the sensors to Home Assistant"_s);
    liveSeconds_ =
        number("LiveSeconds", MqttSettings::MinLiveSeconds, MqttSettings::MaxLiveSeconds);
    connect(tls_, &QCheckBox::toggled, this, &PublishingWindow::tlsToggled);

    result_ = makeNamed<QLabel>(this, "TestResult");
    result_->setWordWrap(true);
    result_->setAccessibleName(u"Test result"_s);
    auto* test = makeNamed<QPushButton>(this, "TestButton", u"Test connection"_s);
    connect(test, &QPushButton::clicked, this, &PublishingWindow::testConnection);
    auto* buttons = new QDialogButtonBox(this);
    auto* save = makeNamed<QPushButton>(this, "SaveButton", u"Save"_s);
    auto* cancel = makeNamed<QPushButton>(this, "CancelButton", u"Cancel"_s);
    buttons->addButton(save, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &PublishingWindow::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(test, 0, Qt::AlignLeft);
    layout->addWidget(result_);
    layout->addWidget(buttons);
}

void PublishingWindow::showSettings(const MqttSettings& settings) {
    host_->setText(settings.host);
    user_->setText(settings.user);
    password_->setText(settings.password);
    site_->setText(settings.site);
    tls_->setChecked(settings.tls);
    port_->setValue(settings.port);
    caFile_->setText(settings.caFile);
    discovery_->setChecked(settings.discovery);
    liveSeconds_->setValue(settings.liveSeconds);
}

// The port follows TLS while it is the other one's default.
void PublishingWindow::tlsToggled(bool on) {
    const int from = on ? MqttSettings::PlainPort : MqttSettings::TlsPort;
    if (port_->value() == from)
        port_->setValue(on ? MqttSettings::TlsPort : MqttSettings::PlainPort);
}

MqttSettings PublishingWindow::typedSettings() const {
    MqttSettings s;
    s.host = host_->text().trimmed();
    s.port = port_->value();
    s.user = user_->text();
    s.password = password_->text();
    s.site = site_->text();
    s.tls = tls_->isChecked();
    s.caFile = caFile_->text();
    s.discovery = discovery_->isChecked();
    s.liveSeconds = liveSeconds_->value();
    return s;
}

QString PublishingWindow::typedProblem() const {
    const MqttSettings typed = typedSettings();
    const QString key = unsafeMqttKey(typed);
    if (!key.isEmpty())
        return u"The box %1 may not hold \"<\" or a line break."_s.arg(key);
    // The file as it would be written must read back without a problem.
    QString problem = mqttSettingsFromBytes(mqttCfgBytes(typed), hostName_).problem;
    return problem.remove(u"mqtt.cfg: "_s);
}

void PublishingWindow::testConnection() {
    const MqttSettings typed = typedSettings();
    QString problem = typedProblem();
    if (problem.isEmpty() && typed.host.isEmpty())
        problem = u"The box Host is empty."_s;
    if (!problem.isEmpty()) {
        showTestResult(problem);
        return;
    }
    testConnection_ = makeConnection_();
    MqttConnection& connection = *testConnection_;
    connect(&connection, &MqttConnection::connected, this, [this, typed, &connection] {
        const QString peer = connection.peerAddress();
        const QString warning = passwordWarning(
            typed,
            [&](const QString&) { return peer.isEmpty() ? QStringList() : QStringList{peer}; },
            connection.ownAddresses());
        connection.disconnectFromBroker();
        showTestResult(u"Connected to %1."_s.arg(brokerName(typed)) +
                       (warning.isEmpty() ? QString() : u"\nWarning: "_s + warning));
    });
    connect(&connection, &MqttConnection::connectFailed, this,
            [this, typed](ConnectionFailure failure, const QString& detail) {
                showTestResult(failureText(failure, typed, detail));
            });
    result_->setText(u"Testing the connection to %1…"_s.arg(brokerName(typed)));
    testTimer_.start();
    connection.connectToBroker(typed, {});
}

void PublishingWindow::showTestResult(const QString& text) {
    testTimer_.stop();
    result_->setText(text);
}

void PublishingWindow::save() {
    QString problem = typedProblem();
    if (problem.isEmpty()) {
        const FileOutcome written = writeMqttCfg(path_, typedSettings());
        if (written.ok) {
            accept();
            return;
        }
        problem = u"Cannot write mqtt.cfg (%1)."_s.arg(written.error);
    }
    prompts_.showMessage(this, problem);
}

} // namespace tarnby
