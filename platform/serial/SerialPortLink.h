#pragma once
// The real serial link, over QSerialPort.

#include "platform/SerialLink.h"

#include <QSerialPort>
#include <functional>

namespace tarnby {

class SerialPortLink : public SerialLink {
    Q_OBJECT
public:
    // Where the application folder links port N (<folder>/ports/COM<N>).
    using PortLinkNaming = std::function<QString(int portNumber)>;

    explicit SerialPortLink(PortLinkNaming portLink, QObject* parent = nullptr);
    ~SerialPortLink() override;

    bool configure(const LineSettings& line) override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    QByteArray readAll() override { return port_.readAll(); }
    QString errorString() const override { return error_; }
    QString deviceName() const override { return device_; }

private:
    void onError(QSerialPort::SerialPortError error);
    void dropLostLink();

    PortLinkNaming portLink_;
    QSerialPort port_;
    QString device_;
    int baud_ = 0;
    QString error_;
    bool lossPending_ = false;
};

} // namespace tarnby
