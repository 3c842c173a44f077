#include "device/live_display.h"

namespace kelvaron {

LiveTexts FormatLiveReadings(const DeviceReadings& r, bool plotN, QChar separator) {
    LiveTexts t;
    const double n = r.opacityX10 / 10.0;
    const double k = OpacityToK(n);
    const QString kText = FormatFixed(k, 2, separator);
    if (plotN) {
        t.barFoot = FormatFixed(n, 1, separator);
        t.barValue = n;
        t.barLabel = t.barFoot;
    } else if (k > kMaxShownK) {
        t.barFoot = QStringLiteral(" >> ");
        t.barValue = kMaxShownK;
        t.barLabel = FormatFixed(kMaxShownK, 2, separator);
    } else {
        t.barFoot = kText;
        t.barValue = k;
        t.barLabel = kText;
    }
    t.k = k > kMaxShownK ? QStringLiteral("   >>   ") : kText;
    t.n = FormatFixed(n, 1, separator);
    t.rpm = QString::number(r.engineSpeed);
    t.oil = FormatOilTemperature(r.oilTempX10, separator);
    t.chamber = FormatFixed(r.chamberTempX10 / 10.0, 1, separator);
    t.ambient = FormatFixed(r.ambientTempX10 / 10.0, 1, separator);
    return t;
}

}  // namespace kelvaron
