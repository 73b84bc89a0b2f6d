#include "platform/FileWriting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnby {

namespace {

int (*syncStep)(int) = ::fdatasync;

// The file as the user knows it: its folder and its name ("logs/Whours.txt").
QString shownName(const QFileInfo& file) {
    return file.dir().dirName() + u'/' + file.fileName();
}

FileOutcome failed(int error) {
    return {false, fileErrorText(error)};
}

int openFile(const QString& path, int flags, mode_t mode = 0) {
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

constexpr int NotRegular = -2;

// Opens a regular file without ever waiting: a FIFO or a device of that name would otherwise
// hold the open, or the first read, until another program answered, and the whole program with
// it. The descriptor, -1 with errno set, or NotRegular.
int openRegularFile(const QString& path, int flags, mode_t mode = 0) {
    const int fd = openFile(path, flags | O_NONBLOCK, mode);
    struct stat info {};
    if (fd < 0 || (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)))
        return fd;
    ::close(fd);
    return NotRegular;
}

QString openFailure(int fd) {
    return fd == NotRegular ? QStringLiteral("not a regular file") : fileErrorText(errno);
}

// Writes all of `bytes`, going on after short writes; false with errno set when the system
// refuses the rest.
bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// On Linux the descriptor is closed even when close() reports EINTR.
bool closeFile(int fd) {
    return ::close(fd) == 0 || errno == EINTR;
}

} // namespace

QString fileErrorText(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("disk full");
    case EROFS:
        return QStringLiteral("read-only disk");
    case EACCES:
    case EPERM:
        return QStringLiteral("no permission");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

FileOutcome appendLineDurably(const QString& path, const QByteArray& line) {
    const QFileInfo file(path);
    const auto cannotWrite = [&file](int error, bool unconfirmed = false) {
        return FileOutcome{
            false,
            QStringLiteral("Cannot write %1 (%2)").arg(shownName(file), fileErrorText(error)),
            unconfirmed};
    };
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return {false, QStringLiteral("Cannot create folder %1 for %2")
                           .arg(file.dir().dirName(), file.fileName())};

    const int fd = openFile(path, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return cannotWrite(errno);

    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);

    // One write of the whole line: with O_APPEND it lands at the end in one piece.
    ssize_t written;
    do {
        written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    } while (written < 0 && errno == EINTR);
    if (written != line.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        // A short write is taken back, so no torn line stays for the retry's whole copy to be
        // glued to. Shrinking needs no free space.
        if (regular && written > 0) {
            [[maybe_unused]] const int undone = ::ftruncate(fd, before.st_size);
        }
        ::close(fd);
        return cannotWrite(error);
    }

    // From here the line is in the file: a failure is reported, but the line is not to be
    // written again. Devices such as a pipe cannot be synced; a file must be.
    if (syncStep(fd) != 0 && (regular || errno != EINVAL)) {
        const int error = errno;
        ::close(fd);
        return cannotWrite(error, true);
    }
    if (!closeFile(fd))
        return cannotWrite(errno, true);
    return {true, QString()};
}

FileOutcome replaceFileWhole(const QString& path, const QByteArray& bytes, FileAccess access) {
    // Through a link, the file it names is replaced, not the link.
    QFileInfo target(path);
    for (int depth = 0; target.isSymLink() && depth < 32; ++depth)
        target.setFile(target.symLinkTarget());
    const QString finalPath = target.filePath();
    const QString tempPath = finalPath + QStringLiteral(".%1.new").arg(::getpid());

    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(finalPath).constData(), &old) == 0;
    // A file of that name is the leftover of an earlier run that had the same process id.
    QFile::remove(tempPath);
    const bool ownerOnly = access == FileAccess::OwnerOnly;
    // Private until it has the old file's permissions.
    const int fd =
        openFile(tempPath, O_WRONLY | O_CREAT | O_EXCL, replacing || ownerOnly ? 0600 : 0666);
    if (fd < 0)
        return failed(errno);
    const bool permitted = ownerOnly   ? ::fchmod(fd, 0600) == 0
                           : replacing ? ::fchmod(fd, old.st_mode & 07777) == 0
                                       : true;
    bool done = permitted && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (!closeFile(fd) && done) {
        done = false;
        error = errno;
    }
    if (done && ::rename(QFile::encodeName(tempPath).constData(),
                         QFile::encodeName(finalPath).constData()) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        QFile::remove(tempPath);
        return failed(error);
    }
    return {true, {}};
}

FileOutcome appendEmptyLine(const QString& path) {
    const int fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (fd < 0)
        return {false, openFailure(fd)};
    const bool done = writeAll(fd, QByteArrayLiteral("\r\n"));
    const int error = errno;
    if (!closeFile(fd) || !done)
        return failed(done ? errno : error);
    return {true, {}};
}

FileBytes readWholeFile(const QString& path) {
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return {false, {}, openFailure(fd)};
    constexpr qsizetype Chunk = 64 * 1024;
    QByteArray bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        bytes.reserve(info.st_size + Chunk);
    for (;;) {
        const qsizetype had = bytes.size();
        bytes.resize(had + Chunk);
        const ssize_t got = ::read(fd, bytes.data() + had, Chunk);
        bytes.resize(had + std::max<ssize_t>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return {false, {}, fileErrorText(error)};
        }
        if (got == 0)
            break;
    }
    ::close(fd);
    return {true, std::move(bytes), {}};
}

namespace testing {
void setSyncStep(int (*sync)(int fd)) {
    syncStep = sync ? sync : ::fdatasync;
}
} // namespace testing

} // namespace tarnby
