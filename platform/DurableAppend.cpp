#include "platform/DurableAppend.h"

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
// The file as the user knows it: its folder and its name ("logs/Whours.txt").
QString shownName(const QFileInfo& file) {
    return file.dir().dirName() + u'/' + file.fileName();
}

// Short enough for the status line.
QString reason(int error) {
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

AppendOutcome failure(const QFileInfo& file, int error) {
    return {false, QStringLiteral("Cannot write %1 (%2)").arg(shownName(file), reason(error))};
}
} // namespace

AppendOutcome appendLineDurably(const QString& path, const QByteArray& line) {
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return {false, QStringLiteral("Cannot create folder %1 for %2")
                           .arg(file.dir().dirName(), file.fileName())};

    const QByteArray nativePath = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(nativePath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failure(file, errno);

    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);

    // One write of the whole line: with O_APPEND it lands at the end in one piece.
    ssize_t written;
    do {
        written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    } while (written < 0 && errno == EINTR);
    if (written != line.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        // A short write (the disk filled up mid-line) is taken back, so no torn line stays
        // for the next record to be glued to.
        if (regular && written > 0) {
            [[maybe_unused]] const int undone = ::ftruncate(fd, before.st_size);
        }
        ::close(fd);
        return failure(file, error);
    }

    // Devices such as a pipe cannot be synced; a file must be.
    if (::fdatasync(fd) != 0 && (regular || errno != EINVAL)) {
        const int error = errno;
        ::close(fd);
        return failure(file, error);
    }
    if (::close(fd) != 0 && errno != EINTR)
        return failure(file, errno);
    return {true, QString()};
}

} // namespace tarnby
