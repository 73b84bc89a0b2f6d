#include "platform/InstanceLock.h"

#include "platform/FileWriting.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarnby {

QString InstanceLock::fileName(const QString& folder) {
    return folder + QStringLiteral("/tarnby.lock");
}

InstanceLock::InstanceLock(const QString& folder) {
    const QString path = fileName(folder);
    const QByteArray native = QFile::encodeName(path);
    // O_CREAT only makes a file that no program holds; a held file already exists.
    fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A file this user may only read (another user's service holds the folder) still takes
    // the lock, and says who holds it.
    if (fd_ < 0 && errno == EACCES) {
        fd_ = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            errno = EACCES;
    }
    if (fd_ < 0) {
        error_ = QStringLiteral("Tarnby cannot open its lock file %1 (%2).")
                     .arg(path, fileErrorText(errno));
        return;
    }
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        const int error = errno;
        char buffer[32] = {};
        const ssize_t length = ::pread(fd_, buffer, sizeof buffer - 1, 0);
        ::close(fd_);
        fd_ = -1;
        if (error != EWOULDBLOCK) {
            error_ = QStringLiteral("Tarnby cannot lock %1 (%2).").arg(path, fileErrorText(error));
            return;
        }
        state_ = State::InUse;
        bool isNumber = false;
        const qint64 holder =
            QByteArray(buffer, length > 0 ? length : 0).trimmed().toLongLong(&isNumber);
        const QString who = isNumber && holder > 0 ? QStringLiteral("Tarnby process %1").arg(holder)
                                                   : QStringLiteral("another Tarnby process");
        error_ = QStringLiteral("The folder %1 is already used by %2; only one Tarnby program "
                                "may use a folder at a time.")
                     .arg(folder, who);
        return;
    }
    state_ = State::Held;
    // The id is only for the message of a second program; the lock works without it, so a
    // failed write (a full disk, a file opened read-only) is not an error.
    const QByteArray id = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd_, id.constData(), id.size(), 0);
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace tarnby
