#pragma once
// Colours are stored as 0x00BBGGRR, red in the lowest byte; this is the one place
// that converts them. The high byte is not part of the colour and is ignored.
#include <QColor>

#include <cstdint>

namespace kelvaron {

inline QColor ColorFromRef(int32_t ref) {
    const auto v = static_cast<uint32_t>(ref);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

inline int32_t ColorToRef(const QColor& c) {
    return static_cast<int32_t>(static_cast<uint32_t>(c.red()) |
                                static_cast<uint32_t>(c.green()) << 8 |
                                static_cast<uint32_t>(c.blue()) << 16);
}

// The contrast ratio of two colours, 1 to 21, as the accessibility guidelines
// define it from their relative luminance.
double ContrastRatio(const QColor& a, const QColor& b);

// Black or white, whichever reads better on `background` (at least 4.5 : 1 on
// any background).
QColor ReadableTextColor(const QColor& background);

}  // namespace kelvaron
