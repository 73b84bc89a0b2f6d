#pragma once
// The board's serial port as one object with one state. It owns the link and the retry timer,
// sets the link up from prog.cfg's line (so the logging session and the calibration window
// never read it by different rules), and reports data, the loss of an open link, its return
// and why it is not open. The session decides when it moves.
//
// States:
//   Closed            not open: no port, not opened yet, a refused open, or closed on purpose.
//   Open              open: data arrives.
//   Retrying          not open, and opened again every RetryMs until it opens: a link lost
//                     while open, or a start-up's port when nobody can be asked about it.
//   WaitingForPerson  a recovery is asking a person: the port is tried every RetryMs (opened
//                     and closed again at once) and appeared() says it could be opened;
//                     start-up then opens it for real.
//   InChildWindow     closed while the setup or calibration window has the port.
// The retry timer runs exactly while Retrying or WaitingForPerson. A loss reported in any state
// but Open is ignored (the port was closed on purpose meanwhile).

#include "config/ProgSettings.h"
#include "platform/SerialLink.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace tarnby {

class BoardPort : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Open, Retrying, WaitingForPerson, InChildWindow };
    static constexpr int RetryMs = 3000;

    explicit BoardPort(std::unique_ptr<SerialLink> link, QObject* parent = nullptr);

    State state() const { return state_; }
    bool isOpen() const { return state_ == State::Open; }
    bool retrying() const { return retryTimer_.isActive(); }
    int retryIntervalMs() const { return retryTimer_.interval(); }
    // A line has been applied at least once (reopen() has one to open).
    bool hasLine() const { return line_.has_value(); }
    // Why the port did not open, in the user's words ("no such device"); empty while Open and
    // after close() or handToChildWindow().
    const QString& reason() const { return reason_; }
    // What the status line's tooltip says: why the port is not open while it is retried or
    // awaited, with its device; empty otherwise.
    QString statusDetail() const;
    QString deviceName() const { return link_->deviceName(); }
    QByteArray readAll() { return link_->readAll(); }

    // --- What the session does with it ---
    // Applies the line and opens it: Open, or Closed with reason().
    bool open(const LineChoice& line);
    // Opens again with the line last applied (after the calibration window): Open, or Closed
    // with reason().
    bool reopen();
    // Retrying: opened for real as soon as it can be.
    void keepTrying(const LineChoice& line, const QString& reason);
    // WaitingForPerson: tried every RetryMs; appeared() each time it could be opened.
    void waitForPerson(const LineChoice& line, const QString& reason);
    void handToChildWindow(); // InChildWindow
    void close();             // Closed
    void retry();             // the retry timer's work

signals:
    void dataArrived();
    void lost();     // Open -> Retrying
    void opened();   // any state -> Open: a fresh line
    void appeared(); // while WaitingForPerson: the port could be opened, and is closed again
    void detailChanged();

private:
    bool applyAndOpen(const LineChoice& line);
    void enter(State state, const QString& reason = {});
    void onLinkLost(const QString& why);

    std::unique_ptr<SerialLink> link_;
    QTimer retryTimer_;
    State state_ = State::Closed;
    std::optional<LineSettings> line_; // last applied
    LineChoice trying_;                // what Retrying and WaitingForPerson open
    QString reason_;
};

} // namespace tarnby
