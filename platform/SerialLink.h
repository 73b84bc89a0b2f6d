#pragma once
// The serial line to the sensor board, as the windows use it: choose the port number and the
// baud rate, open, close, read everything waiting, and a notification when data arrives. The
// real link wraps QSerialPort; tests use a fake.
//
// Contract:
// - configure() refuses values no port can take (a port number or baud rate below 1); the
//   refusal is a failed open as far as the caller is concerned (the port failure recovery).
// - open() returns false and errorString() says why when the device does not exist, is busy,
//   or cannot be opened for lack of permission.
// - readAll() returns every byte waiting and drops nothing.
// - When the link is lost while open (device unplugged, far end of a pseudo-terminal closed),
//   the link closes itself and emits linkLost() once; it never spins.

#include "platform/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tarnby {

class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLink() override = default;

    // The line the next open() uses.
    virtual bool configure(const LineSettings& line) = 0;
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QByteArray readAll() = 0;
    virtual QString errorString() const = 0;
    // The device the current port number names (for messages and the setup window).
    virtual QString deviceName() const = 0;

signals:
    void dataArrived();
    void linkLost(const QString& reason);
};

// Creates a new, unconfigured link (the main window and the calibration window each own one).
using SerialLinkFactory = std::function<std::unique_ptr<SerialLink>()>;

} // namespace tarnby
