#pragma once
// One program per application folder: an exclusive flock on <folder>/tarnby.lock, held from
// construction until destruction, with the holder's process id written in for the message a
// second program shows. The lock belongs to the open file, so the system drops it when the
// holder ends in any way (killed, power cut): a lock file left behind never blocks a start.
// The file itself stays (removing it would race with a program opening it).

#include <QString>

namespace tarnby {

class InstanceLock {
public:
    enum class State {
        Held,   // this program holds the folder
        InUse,  // another program holds it; the lock file was not touched
        Failed, // the lock file could not be opened or created
    };

    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    // When not held, the sentence to show: "The folder /x is already used by Tarnby process
    // 1234..." or why the lock file could not be opened.
    const QString& error() const { return error_; }

    static QString fileName(const QString& folder);

private:
    int fd_ = -1;
    State state_ = State::Failed;
    QString error_;
};

} // namespace tarnby
