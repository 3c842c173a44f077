#include "device/serial.h"

#include "device/port_names.h"

#include <algorithm>

namespace kelvaron {

TSerial::TSerial(QString portsDir)
    : portsDir_(std::move(portsDir)), device_(SerialDevice::Make()) {}

TSerial::~TSerial() { Close(); }

bool TSerial::Open(int port, int baud) {
    if (opened_) return true;
    portNumber_ = port;
    const QString device = ResolvePortDevice(port, portsDir_);
    if (device.isEmpty() || !device_->Open(device, baud)) return false;
    opened_ = true;
    return true;
}

bool TSerial::OpenDenied() const { return !opened_ && device_->OpenDenied(); }

bool TSerial::Close() {
    if (!opened_) return true;
    device_->Close();
    opened_ = false;
    return true;
}

int TSerial::BytesWaiting() {
    if (!opened_) return 0;
    return std::min(device_->Waiting(), 0xFFFF);
}

int TSerial::Read(uint8_t* buffer, uint16_t max) {
    if (!opened_) return 0;
    return device_->Read(buffer, max);
}

int TSerial::Write(const uint8_t* buffer, uint16_t count) {
    if (!opened_) return 0;
    return device_->Write(buffer, count, kWriteLimitMs);
}

}  // namespace kelvaron
