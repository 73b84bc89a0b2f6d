#include "platform/serial/SerialPortLink.h"

#include "platform/PortNaming.h"
#include "platform/PortOpenFailure.h"

#include <QFileInfo>
#include <QMetaObject>

#ifndef Q_OS_WIN
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnby {

namespace {
// What the system said about `device`. Qt reports a stale lock and a real permission problem
// with the same code; the device's own mode bits tell them apart, and its group is the one the
// user needs to join in the second case.
PortOpenFailure failureOf(const QSerialPort& port, const QString& device) {
    PortOpenFailure failure;
    failure.systemText = port.errorString();
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        failure.refusal = PortOpenFailure::Refusal::NoSuchDevice;
        break;
    case QSerialPort::OpenError:
        failure.refusal = PortOpenFailure::Refusal::InUse;
        break;
    case QSerialPort::PermissionError:
        failure.refusal = PortOpenFailure::Refusal::PermissionOrLock;
        break;
    default:
        break;
    }
#ifndef Q_OS_WIN
    struct stat info {};
    const QByteArray path = QFileInfo(device).canonicalFilePath().toLocal8Bit();
    if (failure.refusal == PortOpenFailure::Refusal::PermissionOrLock && !path.isEmpty() &&
        ::stat(path.constData(), &info) == 0) {
        failure.deviceWritable = ::access(path.constData(), R_OK | W_OK) == 0;
        if (const group* g = ::getgrgid(info.st_gid))
            failure.deviceGroup = QString::fromLocal8Bit(g->gr_name);
    }
#endif
    return failure;
}
} // namespace

SerialPortLink::SerialPortLink(PortLinkNaming portLink, QObject* parent)
    : SerialLink(parent), portLink_(std::move(portLink)) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::dataArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPortLink::onError);
}

SerialPortLink::~SerialPortLink() {
    if (port_.isOpen())
        port_.close();
}

bool SerialPortLink::configure(const LineSettings& line) {
    device_.clear();
    baud_ = 0;
    if (line.portNumber <= 0) {
        error_ = QStringLiteral("port numbers start at 1");
        return false;
    }
    if (line.baudRate <= 0) {
        error_ = QStringLiteral("baud rate %1 not accepted").arg(line.baudRate);
        return false;
    }
    device_ = deviceForPort(portLink_(line.portNumber), line.portNumber);
    baud_ = line.baudRate;
    return true;
}

bool SerialPortLink::open() {
    if (port_.isOpen())
        return true;
    if (device_.isEmpty() || baud_ <= 0) {
        if (error_.isEmpty())
            error_ = QStringLiteral("no port configured");
        return false;
    }
    port_.setPortName(device_);
    if (!port_.setBaudRate(baud_)) {
        error_ = QStringLiteral("baud rate %1 not accepted").arg(baud_);
        return false;
    }
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadOnly)) {
        error_ = portOpenFailureReason(failureOf(port_, device_));
        port_.clearError();
        return false;
    }
    error_.clear();
    lossPending_ = false;
    return true;
}

void SerialPortLink::close() {
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

void SerialPortLink::onError(QSerialPort::SerialPortError error) {
    // Qt 6.4 reports a vanished device as ReadError ("Inappropriate ioctl for device") over and
    // over while the port stays open; ResourceError and UnknownError mean the same to us. The
    // port is closed from a queued call, never inside this signal.
    if (!port_.isOpen() || lossPending_)
        return;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
        error == QSerialPort::UnknownError) {
        lossPending_ = true;
        error_ = QStringLiteral("the device went away (%1)").arg(port_.errorString());
        QMetaObject::invokeMethod(this, &SerialPortLink::dropLostLink, Qt::QueuedConnection);
    }
}

void SerialPortLink::dropLostLink() {
    if (!lossPending_)
        return;
    lossPending_ = false;
    close();
    emit linkLost(error_);
}

} // namespace tarnby
