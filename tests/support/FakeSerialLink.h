#pragma once
// A serial link driven by the test: deliver() raises the notification a real port would, opens
// can be made to fail, and every link a FakeSerialPorts factory makes stays reachable.

#include "platform/SerialLink.h"

#include <vector>

namespace tarnby::test {

class FakeSerialLink : public SerialLink {
    Q_OBJECT
public:
    bool configure(const LineSettings& line) override {
        configured = line;
        return (line.portNumber > 0 || fail(QStringLiteral("port numbers start at 1"))) &&
               (line.baudRate > 0 || fail(QStringLiteral("bad baud rate")));
    }
    bool open() override {
        if (failOpen || configured.portNumber <= 0 || configured.baudRate <= 0)
            return fail(QStringLiteral("cannot open fake port"));
        return open_ = true;
    }
    void close() override {
        closeCount += open_;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    QByteArray readAll() override { return std::exchange(waiting_, {}); }
    QString errorString() const override { return error_; }
    QString deviceName() const override {
        return QStringLiteral("fake%1").arg(configured.portNumber);
    }

    void deliver(const QByteArray& bytes) {
        if (!open_)
            return; // a closed port hears nothing
        waiting_ += bytes;
        emit dataArrived();
    }
    void loseLink() { // an unplugged device
        if (std::exchange(open_, false))
            emit linkLost(error_ = QStringLiteral("fake link lost"));
    }

    bool failOpen = false; // opens fail while set
    LineSettings configured{-1, 0};
    int closeCount = 0;

private:
    bool fail(const QString& error) {
        error_ = error;
        return false;
    }
    bool open_ = false;
    QByteArray waiting_;
    QString error_;
};

// links[0] is the first link the factory made, and so on; each is owned by whoever asked.
class FakeSerialPorts {
public:
    SerialLinkFactory factory() {
        return [this] {
            auto link = std::make_unique<FakeSerialLink>();
            link->failOpen = failOpen;
            links.push_back(link.get());
            return std::unique_ptr<SerialLink>(std::move(link));
        };
    }
    std::vector<FakeSerialLink*> links;
    bool failOpen = false; // given to each new link
};

} // namespace tarnby::test
