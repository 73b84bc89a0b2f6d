#pragma once
// The window that edits mqtt.cfg: Host, Port, User, Password (shown as dots), Site, TLS, CAFile,
// Discovery and LiveSeconds, with "Test connection", "Save" and "Cancel".
//
// It opens with the file's values (the defaults where a key is missing); a problem with the file
// is shown in the result line, never as a message. "Test connection" connects with the typed
// values, without a last will, through a connection of its own and says in the result line
// what happened: connected (and the password warning, if any), or why not; a test that gets no
// answer in TestTimeoutMs says so. "Save" refuses a text with "<" or a line break, or a value
// the file could not be read back with, in a message naming the box, and otherwise writes
// mqtt.cfg (owner-only) and closes. The password never appears in a message or the result line.

#include "config/MqttSettings.h"
#include "platform/widgets/UserPrompts.h"
#include "publish/MqttConnection.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tarnby {

class PublishingWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int TestTimeoutMs = 15000;

    // `hostName` is this machine's, for the default Site.
    PublishingWindow(QString mqttCfgPath, QString hostName, MqttConnectionFactory makeConnection,
                     UserPrompts& prompts, QWidget* owner);
    ~PublishingWindow() override;

    MqttSettings typedSettings() const;

private:
    void buildControls();
    void showSettings(const MqttSettings& settings);
    void tlsToggled(bool on);
    // The reason the typed values cannot be written or used, naming the box; empty when none.
    QString typedProblem() const;
    void testConnection();
    void showTestResult(const QString& text);
    void save();

    QString path_;
    QString hostName_;
    MqttConnectionFactory makeConnection_;
    UserPrompts& prompts_;
    std::unique_ptr<MqttConnection> testConnection_;
    QTimer testTimer_;

    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* site_ = nullptr;
    QCheckBox* tls_ = nullptr;
    QLineEdit* caFile_ = nullptr;
    QCheckBox* discovery_ = nullptr;
    QSpinBox* liveSeconds_ = nullptr;
    QLabel* result_ = nullptr;
};

} // namespace tarnby
