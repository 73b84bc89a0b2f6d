#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal on the GUI thread. The handler only writes a byte
// to a pipe; a notifier reads it in the event loop, where ending the program is safe. One
// instance at a time: the handlers are the process's.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tarnby {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; call after the QCoreApplication exists.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Gives the three signals their default action back.
    ~TerminationSignals() override;

    // Why the handlers could not be installed, for the caller to report; empty when they were.
    const QString& error() const { return error_; }

signals:
    // One or more termination signals arrived since the last emission.
    void received();

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    QString error_;
};

} // namespace tarnby
