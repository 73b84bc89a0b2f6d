#pragma once
// A serial link driven by the test: bytes are queued with deliver(), which raises the
// notification the real port would; opening can be made to fail; every link made by a
// FakeSerialPorts factory is reachable from the test.

#include "platform/SerialLink.h"

#include <QStringList>
#include <vector>

namespace tarnby::test {

class FakeSerialLink : public SerialLink {
    Q_OBJECT
public:
    bool setPortNumber(int portNumber) override;
    bool setSettings(const QString& settings) override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    QByteArray readAll() override;
    QString errorString() const override { return error_; }
    QString deviceName() const override { return QStringLiteral("fake%1").arg(portNumber_); }

    // Queues bytes and notifies, as a real port does when data arrives.
    void deliver(const QByteArray& bytes);
    // Simulates an unplugged device: closes and emits linkLost.
    void loseLink();

    bool failOpen = false; // the next opens fail while set
    int portNumber_ = -1;
    QString settings_;
    int openCount = 0;
    int closeCount = 0;

private:
    bool open_ = false;
    QByteArray waiting_;
    QString error_;
};

// A factory whose links stay reachable: links[0] is the first link made, and so on.
class FakeSerialPorts {
public:
    SerialLinkFactory factory();
    FakeSerialLink* last() const { return links.empty() ? nullptr : links.back(); }
    std::vector<FakeSerialLink*> links; // owned by whoever asked the factory
    bool failOpen = false;              // applied to each new link
};

} // namespace tarnby::test
