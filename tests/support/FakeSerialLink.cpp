#include "tests/support/FakeSerialLink.h"

namespace tarnby::test {

bool FakeSerialLink::setPortNumber(int portNumber) {
    portNumber_ = portNumber;
    if (portNumber <= 0) {
        error_ = QStringLiteral("port numbers start at 1");
        return false;
    }
    return true;
}

bool FakeSerialLink::setSettings(const QString& settings) {
    settings_ = settings;
    if (!baudFromSettings(settings)) {
        error_ = QStringLiteral("bad settings");
        return false;
    }
    return true;
}

bool FakeSerialLink::open() {
    if (failOpen || portNumber_ <= 0 || settings_.isEmpty()) {
        error_ = QStringLiteral("cannot open fake port");
        return false;
    }
    open_ = true;
    ++openCount;
    return true;
}

void FakeSerialLink::close() {
    if (open_)
        ++closeCount;
    open_ = false;
}

QByteArray FakeSerialLink::readAll() {
    QByteArray bytes;
    bytes.swap(waiting_);
    return bytes;
}

void FakeSerialLink::deliver(const QByteArray& bytes) {
    if (!open_)
        return; // a closed port hears nothing
    waiting_ += bytes;
    emit dataArrived();
}

void FakeSerialLink::loseLink() {
    if (!open_)
        return;
    open_ = false;
    error_ = QStringLiteral("fake link lost");
    emit linkLost(error_);
}

SerialLinkFactory FakeSerialPorts::factory() {
    return [this]() {
        auto link = std::make_unique<FakeSerialLink>();
        link->failOpen = failOpen;
        links.push_back(link.get());
        return std::unique_ptr<SerialLink>(std::move(link));
    };
}

} // namespace tarnby::test
