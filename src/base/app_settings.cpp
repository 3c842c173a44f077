#include "base/app_settings.h"

#include <QFile>

#include <algorithm>

namespace kelvaron {

const AppSettings& AppSettings::Defaults() {
    static const AppSettings defaults = [] {
        AppSettings s;
#define KELVARON_SETTINGS_DEFAULT(name, Name, offset, value) \
    s.set##Name(static_cast<int32_t>(value));
        KELVARON_SETTINGS_FIELDS(KELVARON_SETTINGS_DEFAULT)
#undef KELVARON_SETTINGS_DEFAULT
        return s;
    }();
    return defaults;
}

AppSettings AppSettings::FromBytes(const QByteArray& bytes) {
    AppSettings s;
    for (int i = 0; i < kFieldCount && (i + 1) * 4 <= bytes.size(); ++i) {
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData()) + i * 4;
        s.fields_[static_cast<size_t>(i)] = static_cast<int32_t>(
            uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
    }
    return s;
}

QByteArray AppSettings::ToBytes() const {
    QByteArray bytes(kBytes, '\0');
    for (int i = 0; i < kFieldCount; ++i) {
        const auto v = static_cast<uint32_t>(fields_[static_cast<size_t>(i)]);
        for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    }
    return bytes;
}

AppSettings ReadSettingsFile(const QString& path) {
    // The file must be fit for reading and writing, as it will be rewritten at close;
    // a FIFO or a device in its place would hold the start.
    if (!IsRegularFile(path) || IsWriteProtected(path)) return AppSettings::Defaults();
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return AppSettings::Defaults();
    const QByteArray bytes = file.read(AppSettings::kBytes);
    if (bytes.size() != AppSettings::kBytes) return AppSettings::Defaults();
    return AppSettings::FromBytes(bytes);
}

bool WriteSettingsFile(const QString& path, const AppSettings& settings,
                       const SaveInterruption& interruption) {
    return SaveFileAtomicallyOrInPlace(path, settings.ToBytes(), interruption);
}

void FitWindowToWorkArea(AppSettings& settings, QSize workArea) {
    if (settings.windowHeight() <= workArea.height() && settings.windowWidth() <= workArea.width())
        return;
    const AppSettings& d = AppSettings::Defaults();
    settings.setWindowTop(d.windowTop());
    settings.setWindowLeft(d.windowLeft());
    settings.setWindowHeight(d.windowHeight());
    settings.setWindowWidth(d.windowWidth());
    settings.setMaximized(0);
}

namespace {

// Whether the span of `length` (at least 1) from `start` meets the span from
// `first` to `last`. In 64 bits: a place stored near the int limits plus the
// window's size overflows an int, which let a window far off every screen pass
// for one on the desktop.
bool Meets(int32_t start, int32_t length, int first, int last) {
    const int64_t end = int64_t{start} + std::max(int32_t{1}, length) - 1;
    return start <= last && end >= first;
}

}  // namespace

void KeepWindowOnDesktop(AppSettings& settings, const QRect& desktop) {
    if (desktop.isEmpty()) return;
    if (Meets(settings.windowLeft(), settings.windowWidth(), desktop.left(), desktop.right()) &&
        Meets(settings.windowTop(), settings.windowHeight(), desktop.top(), desktop.bottom()))
        return;
    const AppSettings& d = AppSettings::Defaults();
    settings.setWindowLeft(d.windowLeft());
    settings.setWindowTop(d.windowTop());
}

void MendRecordInterval(AppSettings& settings) {
    if (settings.recordInterval() < 1) settings.setRecordInterval(1000);
}

}  // namespace kelvaron
