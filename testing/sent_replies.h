#pragma once
// What the simulated instrument sent as answers, read from its own log of the
// replies it put on the line intact: the yardstick for what the program shows,
// samples and reports.
#include "device/poll_loop.h"
#include "simulator/opacimeter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>

namespace kelvaron::testing {

// The number of `count` hexadecimal digits from D(first) on, least significant first.
inline int ReplyDigits(const std::array<uint8_t, 5>& d, int first, int count) {
    int value = 0;
    for (int i = count - 1; i >= 0; --i) value = value * 16 + d[static_cast<size_t>(first - 1 + i)];
    return value;
}

struct SentReplies {
    std::set<int> opacities{0}, speeds{0};  // every value sent; 0: the readings before any
    // The highest opacity and speed of each acceleration of a free-acceleration
    // test, by the instrument's own progress when it answered.
    std::array<int, 6> peakX10{}, peakRpm{};
    std::map<uint8_t, int64_t> byRequest;  // intact replies by the request they answer
    int meanX10 = -1, validity = -1;       // the result read last; -1 none
    int bursts = 0;                        // bursts of frames nobody asked for
};

inline SentReplies SentBy(const sim::Opacimeter& instrument) {
    SentReplies s;
    int burstFrames = 0;
    for (const sim::Reply& r : instrument.Replies()) {
        if (r.burst) ++burstFrames;
        if (!r.intact || r.burst) continue;
        ++s.byRequest[r.code];
        const size_t acc = r.progress / 16;
        const bool sampled = r.mode == 2 && acc >= 1 && acc <= 6;
        if (r.code == 11) {
            const int x = ReplyDigits(r.data, 2, 3);
            s.opacities.insert(x);
            if (sampled) s.peakX10[acc - 1] = std::max(s.peakX10[acc - 1], x);
        } else if (r.code == 7) {
            const int rpm = ReplyDigits(r.data, 2, 4);
            s.speeds.insert(rpm);
            if (sampled) s.peakRpm[acc - 1] = std::max(s.peakRpm[acc - 1], rpm);
        } else if ((r.code == 15 || r.code == 16) && r.data[0] < 3) {
            s.validity = r.data[1];
            s.meanX10 = ReplyDigits(r.data, 3, 3);
        } else if (r.code == 12 || r.code == 13) {
            s.validity = 0;
            s.meanX10 = ReplyDigits(r.data, 2, 3);
        }
    }
    s.bursts = burstFrames / 40;
    return s;
}

// Intact replies to polling requests (not the self-naming identify reply).
inline int64_t RepliesToRequests(const SentReplies& s) {
    int64_t all = 0;
    for (const auto& [code, count] : s.byRequest)
        if (code != 14) all += count;
    return all;
}

// The replies the instrument sent intact to polling requests, the first `count`
// of them in order, folded as the poll loop folds the answers it takes.
inline uint64_t DigestOfFirstReplies(const sim::Opacimeter& instrument, int64_t count) {
    uint64_t digest = kExchangeDigestStart;
    for (const sim::Reply& r : instrument.Replies()) {
        if (count == 0) break;
        if (!r.intact || r.burst || r.code == 14) continue;
        digest = ExchangeDigest(digest, r.code, r.data);
        --count;
    }
    return digest;
}

}  // namespace kelvaron::testing
