#pragma once
// The Windows-1251 code page, in which every text file of the program is stored.
#include <QByteArray>
#include <QString>

namespace kelvaron {

// Every byte value 0x00..0xFF decodes to one character and encodes back to itself.
// A character outside the code page is written as one "?".
QByteArray EncodeCp1251(const QString& text);
QString DecodeCp1251(const QByteArray& bytes);

// True when every character of `text` has its byte in the code page, so that
// EncodeCp1251 writes no "?" in its place.
bool FitsCp1251(const QString& text);

}  // namespace kelvaron
