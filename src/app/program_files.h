#pragma once
// The files and folders beside the program that the window reads and writes.
#include <QString>

namespace kelvaron {

inline const QString kSettingsFile = QStringLiteral("Kelvaron.dat");
inline const QString kStationFile = QStringLiteral("Kelvaron.sto");

// At start: the working folders "Text", "Graph" and "Output" made where missing,
// and the temporary files of saves cut short (the program killed, the power lost)
// removed, ours only. `programDir` ends with a separator.
void PrepareProgramFolder(const QString& programDir);

}  // namespace kelvaron
