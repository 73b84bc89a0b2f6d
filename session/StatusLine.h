#pragma once
// The main window's status line. Frame texts and the corrupt-data notice replace each
// other freely, but a failed write holds the line: its text stays until a write succeeds
// again, so a user glancing at the window sees that records are not being saved.

#include <QString>

namespace tarnby {

class StatusLine {
public:
    // Frame texts, "possible corrupt COMMS data", "     possible COMMS problem".
    void show(const QString& text) { latest_ = text; }
    // A write failed: hold this text.
    void holdWriteFault(const QString& text) { fault_ = text; }
    // A write succeeded: release a held fault.
    void releaseWriteFault() { fault_.clear(); }

    bool holdingFault() const { return !fault_.isEmpty(); }
    const QString& fault() const { return fault_; }
    QString text() const { return fault_.isEmpty() ? latest_ : fault_; }

private:
    QString latest_;
    QString fault_;
};

} // namespace tarnby
