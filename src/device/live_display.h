#pragma once
// What the live panel shows: the texts of the value boxes and the small bar
// chart, from the instrument's readings.
#include "base/quantities.h"
#include "device/device_state.h"

namespace kelvaron {

// The texts of the live panel. `plotN` is true when the charts plot N, false for K.
LiveTexts FormatLiveReadings(const DeviceReadings& r, bool plotN, QChar separator);

}  // namespace kelvaron
