#pragma once
// Turns SIGTERM and SIGINT into an orderly end of the event loop, so the program appends its
// watt-hour line as it does for Exit. The handler only writes a byte to a pipe; the rest runs
// on the GUI thread.

#include <QObject>

class QSocketNotifier;

namespace tarnby {

class OrderlyEnd : public QObject {
    Q_OBJECT
public:
    explicit OrderlyEnd(QObject* parent = nullptr);
    ~OrderlyEnd() override;

signals:
    // A termination signal arrived; every event loop has been told to end.
    void endRequested();

private:
    void onSignal();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tarnby
