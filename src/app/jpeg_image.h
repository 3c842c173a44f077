#pragma once
// JPEG pictures decoded with libjpeg's own interface, so the program does not
// depend on a JPEG plug-in of the toolkit being installed beside it.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace kelvaron {

// Pictures larger than this in either direction, or in bytes, are refused
// rather than decoded: the about box shows a picture of a few hundred pixels.
constexpr int kMaxJpegSide = 4096;
constexpr qint64 kMaxJpegFileBytes = 32 * 1024 * 1024;

// The picture in a JPEG file: RGB pictures as Format_RGB888, greyscale ones as
// Format_Grayscale8. Nothing when the file is missing, too large, not a JPEG,
// truncated or otherwise damaged (libjpeg's warnings about corrupt data count
// as failures), or in a colour space other than RGB/YCbCr and greyscale. Never
// exits or prints; every buffer is released on every path.
std::optional<QImage> DecodeJpegFile(const QString& path);
std::optional<QImage> DecodeJpeg(const QByteArray& bytes);

}  // namespace kelvaron
