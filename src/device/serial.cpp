#include "device/serial.h"

#include "device/port_names.h"

namespace kelvaron {

TSerial::TSerial(QString portsDir) : portsDir_(std::move(portsDir)) {
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { OnError(e); });
}

TSerial::~TSerial() { Close(); }

bool TSerial::Open(int port, int baud) {
    if (opened_) return true;
    portNumber_ = port;
    const QString device = ResolvePortDevice(port, portsDir_);
    if (device.isEmpty()) return false;

    port_.setPortName(device);
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
    // A port without modem lines (a pseudo-terminal, some adapters) refuses these;
    // it still carries the data, so it counts as open.
    port_.setRequestToSend(true);
    port_.setDataTerminalReady(true);
    port_.clearError();
    opened_ = true;
    return true;
}

bool TSerial::Close() {
    if (!opened_) return true;
    if (port_.isOpen()) port_.close();
    opened_ = false;
    return true;
}

int TSerial::BytesWaiting() {
    if (!Usable()) return 0;
    // Take in what the driver holds now, without waiting for more.
    port_.waitForReadyRead(0);
    port_.clearError();
    if (!port_.isOpen()) return 0;  // the device went away during the read
    return static_cast<int>(std::min<qint64>(port_.bytesAvailable(), 0xFFFF));
}

int TSerial::Read(uint8_t* buffer, uint16_t max) {
    if (!Usable() || max == 0) return 0;
    const qint64 n = port_.read(reinterpret_cast<char*>(buffer), max);
    port_.clearError();
    return n > 0 ? static_cast<int>(n) : 0;
}

int TSerial::Write(const uint8_t* buffer, uint16_t count) {
    if (!Usable()) return 0;
    port_.clearError();
    const qint64 queued = port_.write(reinterpret_cast<const char*>(buffer), count);
    if (queued <= 0) return 0;
    // Push the bytes out now, so a command sent in a tick leaves in that tick.
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(kWriteLimitMs);
    if (!port_.isOpen()) return 0;
    const qint64 unsent = port_.bytesToWrite();
    port_.clearError();
    return static_cast<int>(queued - std::min(unsent, queued));
}

void TSerial::OnError(QSerialPort::SerialPortError error) {
    // An adapter pulled out: release the device once. The object stays "opened"
    // until Close, delivers no bytes, and the poll loop reports the silence.
    if (error == QSerialPort::ResourceError && port_.isOpen()) port_.close();
}

}  // namespace kelvaron
