#include "base/text_codec.h"

#include <array>
#include <unordered_map>

namespace kelvaron {

namespace {

// Unicode of the bytes 0x80..0xBF; 0xC0..0xFF are А..я in order. 0x98 has no
// character in the code page and is kept as U+0098 so that it round-trips.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char16_t ByteToUnicode(uint8_t b) {
    if (b < 0x80) return b;
    if (b < 0xC0) return kHigh[b - 0x80];
    return static_cast<char16_t>(0x0410 + (b - 0xC0));
}

const std::unordered_map<char16_t, uint8_t>& UnicodeToByte() {
    static const auto table = [] {
        std::unordered_map<char16_t, uint8_t> map;
        for (int b = 0x80; b <= 0xFF; ++b)
            map[ByteToUnicode(static_cast<uint8_t>(b))] = static_cast<uint8_t>(b);
        return map;
    }();
    return table;
}

}  // namespace

QByteArray EncodeCp1251(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    const auto& table = UnicodeToByte();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // A character beyond 16 bits is two halves: one "?" stands for both.
        if (c.isLowSurrogate()) continue;
        if (u < 0x80) {
            bytes.append(static_cast<char>(u));
        } else {
            const auto it = table.find(u);
            bytes.append(it == table.end() ? '?' : static_cast<char>(it->second));
        }
    }
    return bytes;
}

bool FitsCp1251(const QString& text) {
    const auto& table = UnicodeToByte();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && table.find(u) == table.end()) return false;
    }
    return true;
}

QString DecodeCp1251(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char b : bytes) *out++ = QChar(ByteToUnicode(static_cast<uint8_t>(b)));
    return text;
}

}  // namespace kelvaron
