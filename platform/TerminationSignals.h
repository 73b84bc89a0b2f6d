#pragma once
// SIGTERM, SIGINT and SIGHUP as Qt signals on the GUI thread. The handler only writes the
// signal's number to a pipe; a notifier reads it in the event loop, where ending the program is
// safe. One instance at a time: the handlers are the process's.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tarnby {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // What SIGHUP means to the program: an end like the other two (the desktop program), or a
    // request to read the settings again (the service).
    enum class HangUp { Ends, Reloads };

    // Installs the handlers; call after the QCoreApplication exists.
    explicit TerminationSignals(HangUp hangUp = HangUp::Ends, QObject* parent = nullptr);
    // Gives the three signals their default action back.
    ~TerminationSignals() override;

    // Why the handlers could not be installed, for the caller to report; empty when they were.
    const QString& error() const { return error_; }

signals:
    // One or more signals that end the program arrived since the last emission.
    void received();
    // SIGHUP arrived, with HangUp::Reloads, and no signal that ends the program came with it.
    void hangUpReceived();

private:
    void drain();

    HangUp hangUp_;
    QSocketNotifier* notifier_ = nullptr;
    QString error_;
};

} // namespace tarnby
