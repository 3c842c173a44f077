#pragma once
// Line-oriented text files of the report: the template and the norms list.
// Windows-1251, read and written whole. Files edited by hand may carry CR LF,
// a bare LF or a bare CR at the end of a line; each counts as one line end.
#include <QString>
#include <QStringList>

#include <optional>

namespace kelvaron {

// The lines of `text`. CR LF, LF and a lone CR each end a line; a line end at the
// very end of the text does not open another, empty line ("a\r\n" is one line,
// "" none, "\r\n" one empty line). Linear in the length of the text.
QStringList SplitLines(const QString& text);

// The lines of the file at `path`, decoded from Windows-1251; every byte becomes
// one character, so binary bytes pass through. Nothing when the file cannot be
// opened or read whole, is no regular file (a FIFO, a device) or holds more than
// kMaxTextFileBytes.
std::optional<QStringList> ReadTextLines(const QString& path);

// Writes every line followed by CR LF, in Windows-1251, replacing the file in one
// step so that a crash mid-write keeps the old file. False when it fails.
bool WriteTextLines(const QString& path, const QStringList& lines);

}  // namespace kelvaron
