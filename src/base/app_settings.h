#pragma once
// AppSettings: the program's one settings record, 80 signed 32-bit little-endian
// integers (320 bytes) stored whole in "Kelvaron.dat" beside the program.
// Every field is reached through its accessor; only this file knows the offsets.
// Reserved fields are kept as read and written back unchanged.
#include "base/safe_file.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>

namespace kelvaron {

// name, Name (for the setter), byte offset, default.
// Colours are 0x00BBGGRR (red in the lowest byte).
#define KELVARON_SETTINGS_FIELDS(X)                        \
    X(connectAtStart, ConnectAtStart, 4, 1)                \
    X(showNorms, ShowNorms, 12, 1)                         \
    X(showLegend, ShowLegend, 16, 1)                       \
    X(chartQuantity, ChartQuantity, 20, 0)                 \
    X(normsInReport, NormsInReport, 28, 1)                 \
    X(lineWidth, LineWidth, 32, 2)                         \
    X(chartBackColor, ChartBackColor, 36, 0x00000000)      \
    X(normIndex, NormIndex, 40, 0)                         \
    X(graphSaveFilter, GraphSaveFilter, 44, 0)             \
    X(graphOpenFilter, GraphOpenFilter, 48, 0)             \
    X(kFontColor, KFontColor, 64, 0x0000FFFF)              \
    X(kBackColor, KBackColor, 68, 0x00000000)              \
    X(nFontColor, NFontColor, 72, 0x0000FFFF)              \
    X(nBackColor, NBackColor, 76, 0x00000000)              \
    X(rpmFontColor, RpmFontColor, 80, 0x0000FFFF)          \
    X(rpmBackColor, RpmBackColor, 84, 0x00000000)          \
    X(oilFontColor, OilFontColor, 88, 0x0000FFFF)          \
    X(oilBackColor, OilBackColor, 92, 0x00000000)          \
    X(captionFontColor, CaptionFontColor, 96, 0x00000000)  \
    X(captionBackColor, CaptionBackColor, 100, 0x00C0DCC0) \
    X(maximized, Maximized, 128, 0)                        \
    X(windowTop, WindowTop, 132, 0)                        \
    X(windowLeft, WindowLeft, 136, 0)                      \
    X(windowHeight, WindowHeight, 140, 478)                \
    X(windowWidth, WindowWidth, 144, 638)                  \
    X(portSearch, PortSearch, 148, 0)                      \
    X(recordInterval, RecordInterval, 152, 1)              \
    X(recordOnePoint, RecordOnePoint, 156, 0)

class AppSettings {
public:
    static constexpr int kFieldCount = 80;
    static constexpr int kBytes = kFieldCount * 4;

    // The default record: the start-up fallback and the options' restore defaults.
    static const AppSettings& Defaults();

    // The record from its 320 bytes (exactly kBytes are expected).
    static AppSettings FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

#define KELVARON_SETTINGS_ACCESSORS(name, Name, offset, value) \
    int32_t name() const { return fields_[(offset) / 4]; }     \
    void set##Name(int32_t v) { fields_[(offset) / 4] = v; }
    KELVARON_SETTINGS_FIELDS(KELVARON_SETTINGS_ACCESSORS)
#undef KELVARON_SETTINGS_ACCESSORS

    // Flags count as set only when equal to 1; these three when not 0.
    bool ConnectsAtStart() const { return connectAtStart() == 1; }
    bool ShowsNorms() const { return showNorms() == 1; }
    bool ShowsLegend() const { return showLegend() == 1; }
    bool PutsNormsInReport() const { return normsInReport() == 1; }
    bool RecordsOnePoint() const { return recordOnePoint() == 1; }
    bool IsMaximized() const { return maximized() != 0; }
    bool SearchesAllPorts() const { return portSearch() != 0; }
    bool PlotsN() const { return chartQuantity() != 0; }

    friend bool operator==(const AppSettings&, const AppSettings&) = default;

private:
    std::array<int32_t, kFieldCount> fields_{};
};

// The whole record from the settings file, or the default record when the file
// is missing, is no regular file, shorter than one record, write-protected (see
// IsWriteProtected) or cannot be opened for reading and writing. A longer file
// gives its first 320 bytes. Never merged.
AppSettings ReadSettingsFile(const QString& path);

// Writes the record as exactly 320 bytes; false when the file cannot be written.
bool WriteSettingsFile(const QString& path, const AppSettings& settings,
                       const SaveInterruption& interruption = {});

// A stored window larger than the work area in either dimension goes back to the
// default position and size, not maximized. Exactly as large passes.
void FitWindowToWorkArea(AppSettings& settings, QSize workArea);

// A stored window that would lie wholly off the desktop (`desktop`: the screens'
// available area, or the work area) goes back to the default place, keeping its
// size, so the operator can reach it. A window on any screen keeps its place.
void KeepWindowOnDesktop(AppSettings& settings, const QRect& desktop);

// A recording interval below 1 ms starts as 1000 ms.
void MendRecordInterval(AppSettings& settings);

}  // namespace kelvaron
