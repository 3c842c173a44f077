#include "base/quantities.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvaron {

double OpacityToK(double n) {
    const long double transmitted = 1.0L - static_cast<long double>(n) / 100.0L;
    if (!(transmitted > 0.0L)) return std::numeric_limits<double>::infinity();
    return static_cast<double>(std::log(transmitted) * -2.3255813953488372093L);
}

QString FormatFixed(double value, int decimals, QChar separator, int precision) {
    if (!std::isfinite(value)) return QStringLiteral(">>");
    // Digits before the point decide how many decimals the precision leaves.
    const double magnitude = std::fabs(value);
    const int integerDigits =
        magnitude >= 1.0 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 0;
    const int kept = std::max(0, std::min(decimals, precision - integerDigits));
    const double scale = std::pow(10.0, kept);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0) rounded = 0.0;  // no "-0,0"
    QString text = QString::number(rounded, 'f', decimals);
    if (decimals > 0) text.replace(QLatin1Char('.'), separator);
    return text;
}

QString FormatOilTemperature(int32_t oilTempX10, QChar separator) {
    int32_t t = oilTempX10;
    if (t > 2049) t -= 4096;
    if (t > 1250 || t < -25) return QStringLiteral("НЕТ");
    return FormatFixed(t / 10.0, 1, separator);
}

}  // namespace kelvaron
