#pragma once
// The platform's serial device under TSerial: opened exclusively with the line
// settings, read only when asked (never by an event at each byte's arrival), and
// written within a time limit. POSIX systems use the terminal device directly;
// Windows uses Qt SerialPort. A device that goes away (an adapter pulled out) is
// released once; it then reads and writes nothing.
#include <QString>

#include <cstdint>
#include <memory>

namespace kelvaron {

class SerialDevice {
public:
    static std::unique_ptr<SerialDevice> Make();
    virtual ~SerialDevice() = default;

    // 8 data bits, no parity, 2 stop bits at `baud`, RTS then DTR raised where the
    // line has them. False when the device is missing, held elsewhere or no port.
    virtual bool Open(const QString& path, int baud) = 0;
    virtual void Close() = 0;
    // Bytes received and not yet read; 0 when the device is gone.
    virtual int Waiting() = 0;
    virtual int Read(uint8_t* buffer, int max) = 0;
    // The count handed to the line within `limitMs`.
    virtual int Write(const uint8_t* buffer, int count, int limitMs) = 0;
    // Open and not gone away.
    virtual bool Usable() const = 0;
    // The last Open failed for lack of permission (POSIX: the device's group,
    // "dialout" on Debian, does not include the user).
    bool OpenDenied() const { return openDenied_; }

protected:
    bool openDenied_ = false;
};

}  // namespace kelvaron
