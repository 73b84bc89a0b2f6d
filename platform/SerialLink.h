#pragma once
// The serial line to the sensor board, as the windows use it: choose the port number and the
// "baud,N,8,1" settings text, open, close, read everything waiting, and a notification when
// data arrives. The real link wraps QSerialPort; tests use a fake.
//
// Contract:
// - setPortNumber() and setSettings() refuse values no port can take (port 0 or below, a
//   settings text that is not "<baud>,N,8,1" with a whole positive baud); the refusal is a
//   failed open as far as the caller is concerned (the port failure recovery).
// - open() returns false and errorString() says why when the device does not exist, is busy,
//   or cannot be opened for lack of permission.
// - readAll() returns every byte waiting and drops nothing.
// - When the link is lost while open (device unplugged, far end of a pseudo-terminal closed),
//   the link closes itself and emits linkLost() once; it never spins.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tarnby {

class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLink() override = default;

    virtual bool setPortNumber(int portNumber) = 0;
    virtual bool setSettings(const QString& settings) = 0;
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

// Splits "4800,N,8,1" into its baud rate; empty when the text is not of that form.
std::optional<int> baudFromSettings(const QString& settings);

} // namespace tarnby
