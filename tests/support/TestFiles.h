#pragma once
// Small helpers shared by the core tests: a file's bytes, a local date and time, a write cut
// short.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTest>
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

// Sets how far this process may grow a file (RLIM_INFINITY: without a limit).
inline bool limitFileSize(rlim_t bytes) {
    const rlimit limit{bytes, RLIM_INFINITY};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Runs `work` in a child process whose files cannot grow past `bytes` (a write that would is
// cut short there, as on a full disk; SIGXFSZ is ignored) and returns the child's exit status:
// 0 when no check failed there. `work` may lift the limit again.
template <typename Work> int inChildWithFileSizeLimit(rlim_t bytes, Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const bool limited = limitFileSize(bytes);
        if (limited)
            work();
        ::_exit(limited && !QTest::currentTestFailed() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

} // namespace tarnby::test
