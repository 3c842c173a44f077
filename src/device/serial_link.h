#pragma once
// The byte link to the instrument as the poll loop sees it. TSerial implements it
// on a real serial port; tests put a fake instrument behind it.
#include <array>
#include <cstdint>

namespace kelvaron {

// The 4-byte command frame: start byte, code, marker, check byte.
// The check makes the XOR of the whole frame zero.
inline std::array<uint8_t, 4> CommandFrame(uint8_t code) {
    return {0xAA, code, 0xA5, static_cast<uint8_t>(0xAA ^ code ^ 0xA5)};
}

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens COM<port>. True on success and also when already open (the open port
    // then stays as it is, whatever number is passed).
    virtual bool Open(int port, int baud) = 0;
    // Closes the port if open. Always true.
    virtual bool Close() = 0;
    // Received bytes waiting to be read; 0 when not open.
    virtual int BytesWaiting() = 0;
    // Moves at most `max` waiting bytes into `buffer` and returns the count.
    // Never waits for bytes that have not arrived yet.
    virtual int Read(uint8_t* buffer, uint16_t max) = 0;
    // Writes `count` bytes, bounded in time; returns the count written, 0 when closed.
    virtual int Write(const uint8_t* buffer, uint16_t count) = 0;
    virtual bool IsOpen() const = 0;
    // The last Open failed because the user may not open the port's device.
    virtual bool OpenDenied() const { return false; }

    // Sends the command frame for `code`. False only when the port is not open.
    bool SendCommand(uint8_t code) {
        if (!IsOpen()) return false;
        const auto frame = CommandFrame(code);
        Write(frame.data(), static_cast<uint16_t>(frame.size()));
        return true;
    }
};

}  // namespace kelvaron
