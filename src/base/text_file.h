#pragma once
// Text files of the program: Windows-1251, lines ended by CR LF, read and
// written whole.
#include <QString>

#include <optional>

namespace kelvaron {

// The whole file as text, with its line ends (CR LF, or a lone LF) turned into
// "\n". Empty when the file cannot be read, is no regular file or is larger
// than kMaxTextFileBytes.
std::optional<QString> ReadTextFile(const QString& path);

// Writes `text` whole, each "\n" written as CR LF; the old file survives a crash
// mid-write. False when the file cannot be written.
bool WriteTextFile(const QString& path, const QString& text);

}  // namespace kelvaron
