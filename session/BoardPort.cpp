#include "session/BoardPort.h"

namespace tarnby {

using namespace Qt::StringLiterals;

BoardPort::BoardPort(std::unique_ptr<SerialLink> link, QObject* parent)
    : QObject(parent), link_(std::move(link)) {
    connect(link_.get(), &SerialLink::dataArrived, this, &BoardPort::dataArrived);
    connect(link_.get(), &SerialLink::linkLost, this, &BoardPort::onLinkLost);
    retryTimer_.setInterval(RetryMs);
    connect(&retryTimer_, &QTimer::timeout, this, &BoardPort::retry);
}

QString BoardPort::statusDetail() const {
    if (state_ != State::Retrying && state_ != State::WaitingForPerson)
        return {};
    const QString device = link_->deviceName();
    if (reason_.isEmpty()) // the last try opened it
        return u"The board's port %1 can be opened now."_s.arg(device);
    const QString why = device.isEmpty() ? reason_ : u"%1 \u2014 %2"_s.arg(device, reason_);
    if (state_ == State::Retrying)
        return why;
    return u"Waiting for the board's port: %1. Tarnby tries it again every %2 seconds."_s.arg(why)
        .arg(RetryMs / 1000);
}

bool BoardPort::applyAndOpen(const LineChoice& line) {
    if (!line.line) {
        reason_ = line.problem;
        return false;
    }
    if (!link_->configure(*line.line)) {
        reason_ = link_->errorString();
        return false;
    }
    line_ = line.line;
    if (!link_->open()) {
        reason_ = link_->errorString();
        return false;
    }
    return true;
}

bool BoardPort::open(const LineChoice& line) {
    link_->close();
    const bool opened = applyAndOpen(line);
    enter(opened ? State::Open : State::Closed, reason_);
    return opened;
}

bool BoardPort::reopen() {
    const bool opened = applyAndOpen({line_, u"no port has been set up"_s});
    enter(opened ? State::Open : State::Closed, reason_);
    return opened;
}

void BoardPort::keepTrying(const LineChoice& line, const QString& reason) {
    link_->close();
    trying_ = line;
    enter(State::Retrying, reason);
}

void BoardPort::waitForPerson(const LineChoice& line, const QString& reason) {
    link_->close();
    trying_ = line;
    enter(State::WaitingForPerson, reason);
}

void BoardPort::handToChildWindow() {
    link_->close();
    enter(State::InChildWindow);
}

void BoardPort::close() {
    link_->close();
    enter(State::Closed);
}

void BoardPort::retry() {
    if (state_ != State::Retrying && state_ != State::WaitingForPerson)
        return;
    if (!applyAndOpen(trying_)) {
        emit detailChanged();
        return;
    }
    if (state_ == State::Retrying) {
        enter(State::Open);
        return;
    }
    // Start-up opens it for real once the recovery is over.
    link_->close();
    reason_.clear();
    emit detailChanged();
    emit appeared();
}

void BoardPort::onLinkLost(const QString& why) {
    if (state_ != State::Open)
        return;
    trying_ = {line_, {}};
    enter(State::Retrying, why);
    emit lost();
}

void BoardPort::enter(State state, const QString& reason) {
    const bool opened = state == State::Open && state_ != State::Open;
    state_ = state;
    reason_ = state == State::Open ? QString() : reason;
    if (state == State::Retrying || state == State::WaitingForPerson)
        retryTimer_.start();
    else
        retryTimer_.stop();
    emit detailChanged();
    if (opened)
        emit this->opened();
}

} // namespace tarnby
