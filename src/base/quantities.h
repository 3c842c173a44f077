#pragma once
// The quantities the program shows, stores and prints: the conversion of opacity N
// to the absorption coefficient K, the fixed formats of numbers, the oil
// temperature's text, and the texts of the live values.
#include <QChar>
#include <QString>

namespace kelvaron {

// K (m-1) = -ln(1 - N/100) / 0.43 from N (%). Where the logarithm fails (N of
// 100 % or more: no light passes) K is beyond any number: +infinity, shown over
// range like every K above kMaxShownK, never as the 0 of a clean exhaust.
double OpacityToK(double n);

// `value` rounded to `precision` significant digits and written with exactly
// `decimals` digits after `separator`: 45.27 with 1 decimal reads 45,3. A value
// beyond any number (the K of an opaque smoke) reads ">>", over range.
QString FormatFixed(double value, int decimals, QChar separator, int precision = 4);

// K above this shows as "   >>   " and is drawn at this value.
constexpr double kMaxShownK = 9.9;

struct LiveTexts {
    QString k;            // Edit5
    QString n;            // Edit8
    QString rpm;          // Edit1
    QString oil;          // Edit2
    QString chamber;      // Edit3
    QString ambient;      // Edit4
    double barValue = 0;  // the one bar of the small chart
    QString barLabel;
    QString barFoot;  // the small chart's foot
};

// The oil temperature: a 12-bit two's complement in tenths of a degree; outside
// -2.5 .. 125.0 degrees it reads "НЕТ".
QString FormatOilTemperature(int32_t oilTempX10, QChar separator);

}  // namespace kelvaron
