#pragma once
// StationInfo: the two lines that name the inspection station, kept in
// "Kelvaron.sto" beside the program as two 65-byte records: a length byte (0..64)
// and that many Windows-1251 characters, the rest zero.
#include "base/safe_file.h"

#include <QString>

namespace kelvaron {

struct StationInfo {
    static constexpr int kMaxChars = 64;
    static constexpr int kRecordBytes = 65;

    QString line1;
    QString line2;
    // Set when the operator unlocks or confirms the lines; only then is the file
    // written at close.
    bool changed = false;

    // Neutral lines until the station enters its own.
    static StationInfo Defaults();
};

// Reads the lines from the station file into `info`. A line whose record is
// missing or cut short keeps the value it had; a length byte above 64 reads as 64.
void ReadStationFile(const QString& path, StationInfo& info);

// Writes both records (130 bytes); lines longer than 64 characters are cut.
bool WriteStationFile(const QString& path, const StationInfo& info,
                      const SaveInterruption& interruption = {});

}  // namespace kelvaron
