#pragma once
// TProtokol: the receive ring and the frame scan of the instrument's replies.
//
// A reply is 8 bytes: 0xAA, D1..D5, a marker (not examined), and a check byte equal
// to 0xAA ^ D1 ^ D2 ^ D3 ^ D4 ^ 0xA5 ^ D5. The scan looks for 0xAA, takes the seven
// bytes behind it and accepts them when the check matches; after a failed check it
// resumes just behind the oldest byte it still held, so a false start byte costs a
// resynchronisation, never a good frame that follows.
#include <array>
#include <cstdint>

namespace kelvaron {

// The five data bytes D1..D5 of the frame last scanned (index 0 holds D1).
using FrameData = std::array<uint8_t, 5>;

// The check byte of a data frame carrying D1..D5.
inline uint8_t DataFrameCheck(const FrameData& d) {
    return static_cast<uint8_t>(0xAA ^ d[0] ^ d[1] ^ d[2] ^ d[3] ^ 0xA5 ^ d[4]);
}

class TProtokol {
public:
    static constexpr uint8_t kStart = 0xAA;
    static constexpr uint8_t kMarker = 0xA5;

    // Appends one received byte; false when the ring is full (the byte is dropped).
    bool Push(uint8_t b);

    // Scans the bytes pushed so far. True as soon as one more frame is accepted;
    // its data bytes are then in `d`. False when no further complete frame with a
    // matching check is held; a partly received frame stays for later calls and
    // `d` is left as it was. The frame being assembled is kept here, so the record
    // a caller passes only ever receives accepted frames.
    bool NextFrame(FrameData& d);

    // The ring holds at most this many unread bytes.
    static constexpr int kCapacity = 255;

    // Ring positions, for tests and diagnostics.
    uint8_t ParseState() const { return parseState_; }
    uint8_t ReleaseIndex() const { return releaseIndex_; }
    uint8_t WriteIndex() const { return writeIndex_; }
    uint8_t ParseIndex() const { return parseIndex_; }

private:
    // All indices are 8-bit and wrap modulo 256 by themselves.
    uint8_t parseState_ = 0;    // 0 = expecting the start byte, 1..7 = expecting byte 1..7
    uint8_t releaseIndex_ = 0;  // oldest byte still needed
    uint8_t writeIndex_ = 0;    // where the next received byte goes
    uint8_t parseIndex_ = 0;    // next byte to examine
    FrameData assembling_{};    // D1..D5 of the frame being assembled
    std::array<uint8_t, 256> ring_{};
};

}  // namespace kelvaron
