// The frame scan, differentially: the same bytes pushed whole, one at a time and
// in random chunks (draining the frames after each push, as the poll loop does)
// must give the same frames, and every frame given must stand in the input as a
// start byte, five data bytes, a marker and a matching check byte.
#include "device/protokol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using kelvaron::FrameData;
using kelvaron::TProtokol;

namespace {

// Pushes `bytes` in chunks of the sizes `next()` gives, draining after each chunk.
template <typename NextChunk>
std::vector<FrameData> Scan(const uint8_t* bytes, size_t size, NextChunk next) {
    TProtokol scan;
    FrameData d{};
    std::vector<FrameData> frames;
    for (size_t at = 0; at < size;) {
        const size_t chunk = std::min(size - at, next());
        for (size_t i = 0; i < chunk; ++i)
            if (!scan.Push(bytes[at + i])) std::abort();  // fewer than 256 bytes always fit
        at += chunk;
        while (scan.NextFrame(d)) frames.push_back(d);
    }
    return frames;
}

bool StandsInInput(const FrameData& d, const uint8_t* bytes, size_t size) {
    for (size_t p = 0; p + 8 <= size; ++p) {
        if (bytes[p] != 0xAA) continue;
        bool same = true;
        for (size_t i = 0; i < 5 && same; ++i) same = bytes[p + 1 + i] == d[i];
        if (same && bytes[p + 7] == kelvaron::DataFrameCheck(d)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint32_t state = data[0] * 2654435761u + 1;  // the first byte seeds the chunk sizes
    const uint8_t* bytes = data + 1;
    const size_t length = std::min<size_t>(size - 1, TProtokol::kCapacity);

    const auto whole = Scan(bytes, length, [&] { return length; });
    const auto single = Scan(bytes, length, [] { return size_t{1}; });
    const auto chunked = Scan(bytes, length, [&] {
        state = state * 1103515245u + 12345u;
        return size_t{1} + (state >> 16) % 16;
    });
    if (whole != single || whole != chunked) std::abort();
    for (const FrameData& d : whole)
        if (!StandsInInput(d, bytes, length)) std::abort();
    return 0;
}
