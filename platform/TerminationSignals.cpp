#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tarnby {

namespace {

constexpr int Handled[] = {SIGTERM, SIGINT, SIGHUP};

// Read end, write end; -1 while no instance is installed.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int signal) {
    // The interrupted code may be about to read errno.
    const int saved = errno;
    const auto byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

QString failure(const char* step) {
    return QStringLiteral("cannot catch SIGTERM, SIGINT and SIGHUP (%1: %2)")
        .arg(QLatin1StringView(step), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

TerminationSignals::TerminationSignals(HangUp hangUp, QObject* parent)
    : QObject(parent), hangUp_(hangUp) {
    if (signalPipe[0] >= 0) {
        error_ = QStringLiteral("cannot catch SIGTERM, SIGINT and SIGHUP twice");
        return;
    }
    // Neither end may block: the handler must return at once, and the reader drains only what
    // is there.
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = failure("pipe");
        signalPipe[0] = signalPipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Handled) {
        if (::sigaction(signal, &action, nullptr) != 0 && error_.isEmpty())
            error_ = failure("sigaction");
    }
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    for (const int signal : Handled)
        std::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TerminationSignals::drain() {
    bool end = false;
    bool hangUp = false;
    char bytes[16];
    for (ssize_t count; (count = ::read(signalPipe[0], bytes, sizeof bytes)) > 0;) {
        for (ssize_t i = 0; i < count; ++i) {
            if (bytes[i] == SIGHUP && hangUp_ == HangUp::Reloads)
                hangUp = true;
            else
                end = true;
        }
    }
    // An end makes a reload that came with it pointless.
    if (end)
        emit received();
    else if (hangUp)
        emit hangUpReceived();
}

} // namespace tarnby
