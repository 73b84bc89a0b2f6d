#pragma once
// Small helpers shared by the core tests: a file's bytes, a local date and time, a write cut
// short.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnby::test {

// The whole file, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// Sets how far this process may grow a file (RLIM_INFINITY: as far as allowed).
inline bool limitFileSize(rlim_t bytes) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           (limit.rlim_cur = std::min(bytes, limit.rlim_max),
            ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
}

// Runs `work` in a child process whose files cannot grow past `bytes` (a write that would is
// cut short there, as on a full disk; SIGXFSZ is ignored) and returns the child's exit status,
// what `work` returned (-1: it did not end normally). `work` may lift the limit again.
template <typename Work> int inChildWithFileSizeLimit(rlim_t bytes, Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::_exit(limitFileSize(bytes) ? work() : 125);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

} // namespace tarnby::test
