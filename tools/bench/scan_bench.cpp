// kelvaron-scan-bench: how fast the frame scan cuts a reply stream, in bytes per
// second. The stream is good replies with a junk byte and a false start byte
// now and then, pushed in 200-byte reads and drained after each, as a tick does.
#include "device/protokol.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using kelvaron::FrameData;
using kelvaron::TProtokol;

int main() {
    std::vector<uint8_t> stream;
    uint32_t state = 1;
    while (stream.size() < (64u << 20)) {
        state = state * 1103515245u + 12345u;
        const FrameData d = {
            static_cast<uint8_t>(state >> 24), static_cast<uint8_t>((state >> 16) & 0xF),
            static_cast<uint8_t>((state >> 12) & 0xF), static_cast<uint8_t>((state >> 8) & 0xF), 0};
        if ((state & 0x70) == 0) stream.push_back(0x55);   // junk
        if ((state & 0x700) == 0) stream.push_back(0xAA);  // a false start
        const uint8_t frame[8] = {0xAA, d[0], d[1], d[2],
                                  d[3], d[4], 0xA5, kelvaron::DataFrameCheck(d)};
        stream.insert(stream.end(), frame, frame + 8);
    }

    double best = 0;
    size_t frames = 0;
    for (int round = 0; round < 5; ++round) {
        TProtokol scan;
        FrameData d{};
        frames = 0;
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at < stream.size(); at += 200) {
            const size_t end = std::min(stream.size(), at + 200);
            for (size_t i = at; i < end; ++i) scan.Push(stream[i]);
            while (scan.NextFrame(d)) ++frames;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::max(best, static_cast<double>(stream.size()) / seconds);
    }
    std::printf("frame scan: %.0f MB/s (best of 5 over %.0f MiB, %zu frames a round)\n", best / 1e6,
                static_cast<double>(stream.size()) / (1 << 20), frames);
    return 0;
}
