#pragma once
// Pictures written to files: a Windows bitmap (BMP) or an Enhanced Metafile (EMF)
// painted by a callback. Every save goes to a temporary file beside the target
// and is renamed over it, so a crash or a full disk never leaves a torn picture
// and an existing file survives a failed overwrite. False, and no file, when the
// picture cannot be written.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

namespace kelvaron {

using PaintPicture = std::function<void(QPainter&)>;

// The two picture types of the chart's save dialog, by their number there.
enum class PictureType { Bmp = 1, Emf = 2 };

// The file name extension of each type, with its dot: ".bmp", ".emf".
QString PictureExtension(PictureType type);

// The bytes of an EMF of `size` pixels (96 dpi) painted by `paint`; empty when
// the size is empty or the metafile could not be made.
QByteArray EmfPictureBytes(QSize size, const PaintPicture& paint);

// The picture `paint` draws on a `size` image that starts out `background`.
QImage RasterPicture(QSize size, const PaintPicture& paint, const QColor& background = Qt::white);

bool WriteEmfPicture(const QString& path, QSize size, const PaintPicture& paint);
bool WriteBmpPicture(const QString& path, const QImage& image);
bool WriteBmpPicture(const QString& path, QSize size, const PaintPicture& paint);

// The picture of the given type.
bool WritePicture(const QString& path, PictureType type, QSize size, const PaintPicture& paint);

}  // namespace kelvaron
