#pragma once
// What the logging session asks of its front end. The desktop answers with message boxes and
// the modal child windows; a front end without a screen returns at once from every call.

#include <QString>
#include <QStringView>

namespace tarnby {

// The desktop's message when the board's port did not open.
inline constexpr QStringView PortProblemMessage =
    u"There is a possible Port Number problem. Check available PORTS";

class SessionHost {
public:
    // What asking a person about a port that did not open came to.
    enum class Recovery {
        PersonFinished, // the person is done (the setup window has closed): start-up runs again
        NobodyToAsk     // returned at once: the session keeps trying the port and, when it opens,
                        // carries on as a start-up whose port opened
    };

    virtual ~SessionHost() = default;
    // A message for the person; the desktop returns when it has been dismissed.
    virtual void showMessage(const QString& text) = 0;
    // The port did not open; `reason` says why ("no such device"). The desktop shows
    // PortProblemMessage, then the program setup window, modal, and returns when it has closed.
    // Until then the session tries the port every few seconds and calls closeRecoveryPrompts()
    // when it could be opened.
    virtual Recovery recoverPort(const QString& reason) = 0;
    // What closeRecoveryPrompts() did.
    enum class PromptsClosing {
        Closed,    // the recovery's message or setup window is closed, nothing saved
        NotYet,    // nothing of the recovery's can be closed now (its setup window is still
                   // loading): the port is tried again
        PersonBusy // the person has changed something in the setup window: it waits for them
    };
    // The port could be opened while recoverPort() waits: close its prompts without saving.
    virtual PromptsClosing closeRecoveryPrompts() = 0;
    // The program setup window the user asked for, modal; returns when it has closed.
    virtual void runSetupWindow() = 0;
    // The calibration window, modal. False when it could not open its port and was not shown;
    // `portProblem` then says why.
    virtual bool runCalibrationWindow(QString& portProblem) = 0;
};

} // namespace tarnby
