#pragma once
// What the poll loop reports while it follows a test: the measurement series
// (samples, captions, results) listens. Plain interface, so the loop needs
// nothing of the chart or the results.
#include "device/device_state.h"

#include <cstdint>

namespace kelvaron {

// Where a free-acceleration sample's values come from: the replies just taken, or
// the values held while the opacity reply is awaited. A held sample keeps the
// curve going but raises no peak: its values were taken before the status it
// would be filed under.
enum class SampleValues { Answered, Held };

class TestEvents {
public:
    virtual ~TestEvents() = default;

    // The instrument began a test by itself (state measuring, mode 2 or 3 while
    // polling); `kind` is MaxSpeedTest or FreeAccelTest. The start request is
    // already pending.
    virtual void InstrumentStartedTest(PollState kind) = 0;
    // Free acceleration: the progress rose above `oldProgress`.
    virtual void ShowMeasurementCaption(uint8_t oldProgress) = 0;
    // Free acceleration: one sample, after a speed reply (Answered) or on a tick
    // the opacity reply is awaited (Held).
    virtual void AddFreeAccelSample(SampleValues values) = 0;
    // Maximum speed: one point, after an opacity reply or a silent awaited tick.
    virtual void AddMaxSpeedTrendPoint() = 0;
    // The instrument's result: finishedKind 1 maximum speed, 2 free acceleration.
    virtual void ResultArrived(int finishedKind, int32_t validity, int32_t meanX10) = 0;
};

}  // namespace kelvaron
