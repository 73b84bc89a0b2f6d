#include "tools/PtyPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tarnby::board {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool makeSlaveRaw(const QByteArray& slave, QString* error) {
    const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *error = systemError("cannot open the terminal's slave side");
        return false;
    }
    termios settings{};
    bool ok = ::tcgetattr(fd, &settings) == 0;
    if (ok) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B4800);
        ::cfsetospeed(&settings, B4800);
        ok = ::tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    if (!ok)
        *error = systemError("cannot put the terminal in raw mode");
    ::close(fd);
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
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        *error = systemError("cannot unlock the pseudo-terminal");
        ::close(master);
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
    if (!makeSlaveRaw(slave, error) || !placeLink(QFile::decodeName(slave), linkPath, error)) {
        ::close(master);
        return nullptr;
    }
    return std::unique_ptr<PtyPort>(new PtyPort(master, QFile::decodeName(slave), linkPath));
}

PtyPort::PtyPort(int master, QString deviceName, QString linkPath)
    : master_(master), deviceName_(std::move(deviceName)), linkPath_(std::move(linkPath)) {}

PtyPort::~PtyPort() {
    removeLink();
    ::close(master_);
}

void PtyPort::removeLink() {
    // Another board started on the same port owns the link now: leave it.
    if (QFileInfo(linkPath_).symLinkTarget() == deviceName_)
        QFile::remove(linkPath_);
}

bool PtyPort::readerPresent() const {
    // The master reports a hang-up while no process has the slave side open.
    pollfd p{master_, POLLOUT, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & POLLHUP) == 0;
}

void PtyPort::discardUnread() {
    const int fd = ::open(deviceName_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
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
