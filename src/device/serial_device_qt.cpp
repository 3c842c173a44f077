// The serial device on Qt SerialPort, where no terminal device is at hand
// (Windows): the bytes the driver holds are taken in when the poll tick asks.
#include "device/serial_device.h"

#include <QSerialPort>

#include <algorithm>

namespace kelvaron {

namespace {

constexpr qint64 kDriverQueueBytes = 10000;

class QtSerialDevice final : public SerialDevice {
public:
    QtSerialDevice() {
        QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                         [this](QSerialPort::SerialPortError e) {
                             // An adapter pulled out: release the device once.
                             if (e == QSerialPort::ResourceError && port_.isOpen()) port_.close();
                         });
    }

    bool Open(const QString& path, int baud) override {
        port_.setPortName(path);
        if (!port_.open(QIODevice::ReadWrite)) return false;  // missing, or in use elsewhere
        const bool configured = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                                port_.setParity(QSerialPort::NoParity) &&
                                port_.setStopBits(QSerialPort::TwoStop) &&
                                port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            port_.close();
            return false;
        }
        port_.setReadBufferSize(kDriverQueueBytes);
        // A line without modem lines refuses these; it still carries the data.
        port_.setRequestToSend(true);
        port_.setDataTerminalReady(true);
        port_.clearError();
        return true;
    }
    void Close() override {
        if (port_.isOpen()) port_.close();
    }
    int Waiting() override {
        if (!port_.isOpen()) return 0;
        port_.waitForReadyRead(0);  // take in what the driver holds now, without waiting
        port_.clearError();
        if (!port_.isOpen()) return 0;
        return static_cast<int>(std::min<qint64>(port_.bytesAvailable(), 0xFFFF));
    }
    int Read(uint8_t* buffer, int max) override {
        if (!port_.isOpen() || max <= 0) return 0;
        const qint64 n = port_.read(reinterpret_cast<char*>(buffer), max);
        port_.clearError();
        return n > 0 ? static_cast<int>(n) : 0;
    }
    int Write(const uint8_t* buffer, int count, int limitMs) override {
        if (!port_.isOpen()) return 0;
        port_.clearError();
        const qint64 queued = port_.write(reinterpret_cast<const char*>(buffer), count);
        if (queued <= 0) return 0;
        // Push the bytes out now, so a command sent in a tick leaves in that tick.
        if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(limitMs);
        if (!port_.isOpen()) return 0;
        const qint64 unsent = port_.bytesToWrite();
        port_.clearError();
        return static_cast<int>(queued - std::min(unsent, queued));
    }
    bool Usable() const override { return port_.isOpen(); }

private:
    QSerialPort port_;
};

}  // namespace

std::unique_ptr<SerialDevice> SerialDevice::Make() { return std::make_unique<QtSerialDevice>(); }

}  // namespace kelvaron
