#pragma once
// TSerial: the program's one serial port to the instrument, on the platform's
// serial device (SerialDevice). 9600 8N2, exclusive, RTS then DTR raised. Reads
// return only what has already arrived; writes finish or give up within 2000 ms.
#include "device/serial_device.h"
#include "device/serial_link.h"

#include <QString>

#include <memory>

namespace kelvaron {

class TSerial final : public SerialLink {
public:
    static constexpr int kWriteLimitMs = 2000;

    // `portsDir` is the folder whose entries "COMn" name the ports on this machine.
    explicit TSerial(QString portsDir);
    ~TSerial() override;
    TSerial(const TSerial&) = delete;
    TSerial& operator=(const TSerial&) = delete;

    bool Open(int port, int baud) override;
    bool Close() override;
    int BytesWaiting() override;
    int Read(uint8_t* buffer, uint16_t max) override;
    int Write(const uint8_t* buffer, uint16_t count) override;
    bool IsOpen() const override { return opened_; }
    bool OpenDenied() const override;

    int PortNumber() const { return portNumber_; }

private:
    QString portsDir_;
    std::unique_ptr<SerialDevice> device_;
    bool opened_ = false;
    int portNumber_ = 0;
};

}  // namespace kelvaron
