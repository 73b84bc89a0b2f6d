#pragma once
// The main logger window. It owns the controls (each with the object name tests find it by),
// forwards what the user does to the logging session and shows what the session reports; it
// answers the session's questions with message boxes and the modal child windows, and blinks
// its lamps for 250 ms at each frame and record. Its publishing lamp shows what publishing
// does, with the reason in its tooltip and accessible name; it is hidden while publishing is
// off.

#include "history/HistoryState.h"
#include "platform/widgets/Environment.h"
#include "publish/SessionPublishing.h"
#include "session/LoggingSession.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class Lamp;
class ReadingsList;
class SetupWindow;

class MainWindow : public QWidget, private SessionHost {
    Q_OBJECT
public:
    explicit MainWindow(const Environment& environment, QWidget* parent = nullptr);
    ~MainWindow() override;

    LoggingSession& session() { return session_; }
    // Called once the event loop has ended: appends the watt-hour line unless Exit already did.
    void endOfRun();
    // After endOfRun(): "offline" sent and the broker's connection closed, within seconds.
    void endPublishing() { publishing_.finish(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireControls();

    // SessionHost
    void showMessage(const QString& text) override;
    Recovery recoverPort(const QString& reason) override;
    PromptsClosing closeRecoveryPrompts() override;
    void runSetupWindow() override;
    bool runCalibrationWindow(QString& portProblem) override;

    void exitProgram();
    void showLogs();
    void showControls();
    void showStatus();
    void lightLamp(Lamp* lamp);
    void rebuildList();
    void showReadings();
    void showPublishing();
    void runSetup(SetupWindow& setupWindow);

    Environment env_;
    HistoryState history_;
    LoggingSession session_;
    SessionPublishing publishing_;
    QTimer lampOffTimer_; // 250 ms after a lamp lit, both go out
    // The recovery in progress: how far it is, whether the port could be opened meanwhile, and
    // its setup window while that is open.
    enum class RecoveryStage { None, Message, LoadingSetup, SetupOpen };
    RecoveryStage recoveryStage_ = RecoveryStage::None;
    bool portCameBack_ = false;
    QPointer<SetupWindow> waitingSetup_;

    QLabel* modeLabel_ = nullptr; // "On Load" while the board reports its load mode
    ReadingsList* readingsList_ = nullptr;
    Lamp* dataLamp_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    Lamp* logLamp_ = nullptr;
    QLineEdit* intervalBox_ = nullptr;
    QPushButton* showLogsButton_ = nullptr;
    QPushButton* setupButton_ = nullptr;
    QPushButton* calibrateButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QLabel* statusLine_ = nullptr; // plain text: frame texts are full of tags such as "<I>"
    Lamp* publishingLamp_ = nullptr;
};

} // namespace tarnby
