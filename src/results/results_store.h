#pragma once
// TestResults: the results of the run. The instrument's mean opacity and
// validity code of the last test of each kind, and the peaks of the six
// accelerations of the last free-acceleration test. Not saved; all 0 at start.
#include "device/device_state.h"

#include <QString>

#include <array>
#include <cstdint>

namespace kelvaron {

// What the instrument's validity code of a result means: 0 valid; for a
// free-acceleration test 1 a decreasing sequence and 2 a zone exceeded; for a
// maximum-speed test 1 a zone exceeded. Any other code has no meaning (and no text).
enum class Validity { Valid, DecreasingSequence, ZoneExceeded, Unknown };
Validity ValidityOf(TestKind kind, int32_t code);
// The line of an invalid result; empty for a valid one and an unknown code.
QString InvalidResultText(Validity validity);

struct TestResults {
    static constexpr int kMeasurements = 6;

    // Whether a test of each kind has brought its result in: until then, and after
    // the results are erased, its result line is empty, not a valid zero result.
    bool hasMaxSpeedResult = false;
    bool hasFreeAccelResult = false;
    int32_t maxSpeedMeanX10 = 0;   // tenths of a percent
    int32_t maxSpeedValidity = 0;  // 0 valid, 1 zone exceeded
    int32_t freeAccelMeanX10 = 0;
    int32_t freeAccelValidity = 0;  // 0 valid, 1 decreasing sequence, 2 zone exceeded
    // Measurement n (1..6) at index n - 1.
    std::array<double, kMeasurements> peakK{};  // m-1, from peakN
    std::array<double, kMeasurements> peakN{};  // %
    std::array<int32_t, kMeasurements> peakRpm{};
    // Whether measurement n took a sample: one without shows no number, never 0.
    std::array<bool, kMeasurements> sampled{};
    bool operator==(const TestResults&) const = default;
};

}  // namespace kelvaron
