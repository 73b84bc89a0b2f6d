#include "tools/PtyPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace tarnby::board {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// The terminal's settings belong to its slave side; the master's descriptor reaches them, so
// the terminal is raw before anybody can open that side.
bool makeRaw(int master, QString* error) {
    termios settings{};
    bool ok = ::tcgetattr(master, &settings) == 0;
    if (ok) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B4800);
        ::cfsetospeed(&settings, B4800);
        ok = ::tcsetattr(master, TCSANOW, &settings) == 0;
    }
    if (!ok)
        *error = systemError("cannot put the terminal in raw mode");
    return ok;
}

// Points linkPath at target through a temporary link and a rename, so a program looking at
// the link never finds it missing or half made.
bool placeLink(const QString& target, const QString& linkPath, QString* error) {
    const QFileInfo entry(linkPath);
    if (entry.exists() && !entry.isSymLink()) {
        *error =
            QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(linkPath);
        return false;
    }
    if (!QDir().mkpath(entry.absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(entry.absolutePath());
        return false;
    }
    const QByteArray link = QFile::encodeName(linkPath);
    const QByteArray temporary = link + ".new." + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0) {
        *error = systemError("cannot create the port link");
        return false;
    }
    if (::rename(temporary.constData(), link.constData()) != 0) {
        *error = systemError("cannot place the port link");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<PtyPort> PtyPort::open(const QString& linkPath, QString* error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        *error = systemError("cannot open a pseudo-terminal");
        return nullptr;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const char* name = ::ptsname(master);
    if (name == nullptr) {
        *error = systemError("cannot name the pseudo-terminal");
        ::close(master);
        return nullptr;
    }
    const QByteArray slave(name);
    if (!makeRaw(master, error)) {
        ::close(master);
        return nullptr;
    }
    // Raw and watched while still locked: until unlockpt() nobody can open the slave side, and
    // a program may reach it before the link is placed, through the stale link of an earlier
    // board that had the same terminal number. Such a reader is seen like any other.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, slave.constData(),
                                         IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        *error = systemError("cannot watch the terminal for readers");
        if (watch >= 0)
            ::close(watch);
        ::close(master);
        return nullptr;
    }
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        *error = systemError("cannot unlock the pseudo-terminal");
        ::close(watch);
        ::close(master);
        return nullptr;
    }
    if (!placeLink(QFile::decodeName(slave), linkPath, error)) {
        ::close(watch);
        ::close(master);
        return nullptr;
    }
    return std::unique_ptr<PtyPort>(new PtyPort(master, watch, QFile::decodeName(slave), linkPath));
}

PtyPort::PtyPort(int master, int watch, QString deviceName, QString linkPath)
    : master_(master), watch_(watch), deviceName_(std::move(deviceName)),
      linkPath_(std::move(linkPath)) {}

PtyPort::~PtyPort() {
    removeLink();
    ::close(watch_);
    ::close(master_);
}

void PtyPort::removeLink() {
    // Another board started on the same port owns the link now: leave it.
    if (QFileInfo(linkPath_).symLinkTarget() == deviceName_)
        QFile::remove(linkPath_);
}

PtyPort::ReaderChanges PtyPort::readerChanges() {
    ReaderChanges changes;
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = ::read(watch_, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN)
                ++changes.arrived;
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                ++changes.left;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // The board's own open and close are both queued by the time discardUnread returns.
    const int own = std::min({ownOpens_, changes.arrived, changes.left});
    ownOpens_ -= own;
    changes.arrived -= own;
    changes.left -= own;
    openers_ += changes.arrived - changes.left;
    changes.present = openers_ > 0;
    return changes;
}

void PtyPort::discardUnread() {
    const int fd = ::open(deviceName_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    ++ownOpens_;
    ::tcflush(fd, TCIFLUSH);
    ::close(fd);
}

void PtyPort::drainInput() {
    char sink[512];
    while (::read(master_, sink, sizeof sink) > 0) {
    }
}

long long PtyPort::write(const char* data, long long length) {
    for (;;) {
        const ssize_t n = ::write(master_, data, static_cast<size_t>(length));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        lastError_ = QString::fromLocal8Bit(std::strerror(errno));
        return ReaderGone;
    }
}

} // namespace tarnby::board
