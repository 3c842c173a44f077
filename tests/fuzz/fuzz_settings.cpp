// Any bytes as the settings file "Kelvaron.dat" and the station file
// "Kelvaron.sto", read by the program's own loaders from a program folder.
//
// Input: two bytes, little-endian: the settings file's length in the low 14 bits
// (0x3FFF: no settings file), bit 14 to save the station lines and read them
// again, bit 15 for no station file; two bytes each of a work-area width and
// height; the settings file; then the station file (the rest).
//
// Checks:
// - the settings record is used whole or not at all: a file shorter than 320
//   bytes (or none) gives exactly the default record; a longer one exactly its
//   first 320 bytes, every named field read at its offset (a table kept here,
//   apart from the program's), the reserved ones included; reading leaves the
//   file as it was; the record written back is exactly those 320 bytes;
// - a stored window that does not fit the work area goes back to the default
//   place and size, not maximized, and nothing else moves; a recording interval
//   below 1 becomes 1000 and no other value changes;
// - a station record whose length byte is over 64 reads as 64 characters; no line
//   is ever longer than 64; a record cut short keeps its line as it was; a save
//   writes 130 bytes, zero after each line, and reads back the same lines, cut to
//   64 characters.
#include "base/app_settings.h"
#include "base/station_info.h"
#include "base/text_codec.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace kelvaron;
using namespace kelvaron::fuzzing;

const char* const kelvaron::fuzzing::kTargetName = "fuzz_settings";

namespace {

int32_t LittleEndianAt(const QByteArray& bytes, int offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{static_cast<uint8_t>(bytes[offset + i])} << (8 * i);
    return static_cast<int32_t>(v);
}

// The named fields and their byte offsets in the record.
struct Field {
    int32_t (AppSettings::*get)() const;
    int offset;
};
const Field kFields[] = {
    {&AppSettings::connectAtStart, 4},    {&AppSettings::showNorms, 12},
    {&AppSettings::showLegend, 16},       {&AppSettings::chartQuantity, 20},
    {&AppSettings::normsInReport, 28},    {&AppSettings::lineWidth, 32},
    {&AppSettings::chartBackColor, 36},   {&AppSettings::normIndex, 40},
    {&AppSettings::graphSaveFilter, 44},  {&AppSettings::graphOpenFilter, 48},
    {&AppSettings::kFontColor, 64},       {&AppSettings::kBackColor, 68},
    {&AppSettings::nFontColor, 72},       {&AppSettings::nBackColor, 76},
    {&AppSettings::rpmFontColor, 80},     {&AppSettings::rpmBackColor, 84},
    {&AppSettings::oilFontColor, 88},     {&AppSettings::oilBackColor, 92},
    {&AppSettings::captionFontColor, 96}, {&AppSettings::captionBackColor, 100},
    {&AppSettings::maximized, 128},       {&AppSettings::windowTop, 132},
    {&AppSettings::windowLeft, 136},      {&AppSettings::windowHeight, 140},
    {&AppSettings::windowWidth, 144},     {&AppSettings::portSearch, 148},
    {&AppSettings::recordInterval, 152},  {&AppSettings::recordOnePoint, 156},
};

void CheckSettings(const QString& path, const QByteArray& file8, const QByteArray* file,
                   QSize workArea) {
    const AppSettings read = ReadSettingsFile(path);
    if (!file || file->size() < AppSettings::kBytes) {
        Check(read == AppSettings::Defaults(),
              "a short or missing settings file gave not the defaults");
    } else {
        const QByteArray record = file->left(AppSettings::kBytes);
        Check(read.ToBytes() == record, "the record is not the file's first 320 bytes");
        for (const Field& f : kFields)
            Check((read.*f.get)() == LittleEndianAt(record, f.offset),
                  "a field read at a wrong offset");
        Check(FileBytes(file8) == *file, "reading the settings changed their file");
    }

    // What a save writes, read again: exactly the record.
    Check(read.ToBytes().size() == AppSettings::kBytes, "a record not of 320 bytes");
    Check(AppSettings::FromBytes(read.ToBytes()) == read, "the record changed through its bytes");

    // The window put back on the desktop when it does not fit.
    AppSettings fitted = read;
    FitWindowToWorkArea(fitted, workArea);
    const AppSettings& d = AppSettings::Defaults();
    const bool fits =
        read.windowWidth() <= workArea.width() && read.windowHeight() <= workArea.height();
    if (fits) {
        Check(fitted == read, "a window that fits was moved");
    } else {
        Check(fitted.windowTop() == d.windowTop() && fitted.windowLeft() == d.windowLeft() &&
                  fitted.windowWidth() == d.windowWidth() &&
                  fitted.windowHeight() == d.windowHeight() && fitted.maximized() == 0,
              "a window too large was not put back to the default place and size");
        AppSettings rest = fitted;
        rest.setWindowTop(read.windowTop());
        rest.setWindowLeft(read.windowLeft());
        rest.setWindowWidth(read.windowWidth());
        rest.setWindowHeight(read.windowHeight());
        rest.setMaximized(read.maximized());
        Check(rest == read, "fitting the window changed another field");
    }

    AppSettings mended = read;
    MendRecordInterval(mended);
    Check(mended.recordInterval() == (read.recordInterval() < 1 ? 1000 : read.recordInterval()),
          "a wrong recording interval after mending");
    mended.setRecordInterval(read.recordInterval());
    Check(mended == read, "mending the interval changed another field");
}

QString RecordLine(const QByteArray& record) {
    const int length = std::min(static_cast<int>(static_cast<uint8_t>(record[0])), 64);
    return DecodeCp1251(record.mid(1, length));
}

void CheckStation(const QString& path, const QByteArray& file8, const QByteArray* file, bool save) {
    const StationInfo defaults = StationInfo::Defaults();
    StationInfo info = defaults;
    ReadStationFile(path, info);
    const qsizetype size = file ? file->size() : 0;
    Check(info.line1 == (size >= 65 ? RecordLine(file->mid(0, 65)) : defaults.line1),
          "station line 1 is not its record");
    Check(info.line2 == (size >= 130 ? RecordLine(file->mid(65, 65)) : defaults.line2),
          "station line 2 is not its record");
    Check(info.line1.size() <= 64 && info.line2.size() <= 64, "a station line over 64 characters");
    Check(!info.changed, "reading the station file marked the lines changed");
    if (file) Check(FileBytes(file8) == *file, "reading the station file changed it");

    // Saved with a first line made too long, and read again. (Not every time: a
    // save is the costliest step.)
    if (!save) return;
    StationInfo saved = info;
    saved.line1 += saved.line2;
    Check(WriteStationFile(path, saved), "the station lines could not be saved");
    const QByteArray bytes = FileBytes(file8);
    Check(bytes.size() == 130, "the station file is not 130 bytes");
    for (int r = 0; r < 2; ++r) {
        const int length = static_cast<uint8_t>(bytes[r * 65]);
        Check(length <= 64, "a saved length byte over 64");
        for (int i = 1 + length; i < 65; ++i)
            Check(bytes[r * 65 + i] == 0, "the padding of a saved record is not zero");
    }
    StationInfo back = StationInfo::Defaults();
    ReadStationFile(path, back);
    Check(back.line1 == saved.line1.left(64) && back.line2 == saved.line2,
          "the station lines changed through a save and a read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const unsigned header = data[0] | data[1] << 8;
    const QSize workArea(data[2] | data[3] << 8, data[4] | data[5] << 8);
    data += 6;
    size -= 6;
    const bool noSettings = (header & 0x3FFF) == 0x3FFF;
    const bool saveStation = (header & 0x4000) != 0;
    const bool noStation = (header & 0x8000) != 0;
    const size_t settingsLength = noSettings ? 0 : std::min<size_t>(header & 0x3FFF, size);
    const QByteArray settings(reinterpret_cast<const char*>(data),
                              static_cast<qsizetype>(settingsLength));
    const QByteArray station(reinterpret_cast<const char*>(data + settingsLength),
                             static_cast<qsizetype>(size - settingsLength));

    static const QString settingsPath = FuzzFolder() + QStringLiteral("Kelvaron.dat");
    static const QString stationPath = FuzzFolder() + QStringLiteral("Kelvaron.sto");
    static const QByteArray settingsFile = QFile::encodeName(settingsPath);
    static const QByteArray stationFile = QFile::encodeName(stationPath);
    ::unlink(settingsFile.constData());
    ::unlink(stationFile.constData());
    if (!noSettings) PutFile(settingsFile, settings);
    if (!noStation) PutFile(stationFile, station);

    CheckSettings(settingsPath, settingsFile, noSettings ? nullptr : &settings, workArea);
    CheckStation(stationPath, stationFile, noStation ? nullptr : &station, saveStation);
    return 0;
}
