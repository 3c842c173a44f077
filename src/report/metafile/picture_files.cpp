#include "report/metafile/picture_files.h"

#include "base/safe_file.h"
#include "report/metafile/emf_paint_device.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

namespace kelvaron {

QString PictureExtension(PictureType type) {
    return type == PictureType::Emf ? QStringLiteral(".emf") : QStringLiteral(".bmp");
}

QByteArray EmfPictureBytes(QSize size, const PaintPicture& paint) {
    if (size.isEmpty()) return {};
    EmfPaintDevice device(size);
    {
        QPainter painter;
        if (!painter.begin(&device)) return {};
        if (paint) paint(painter);
        painter.end();
    }
    return device.Finish();
}

QImage RasterPicture(QSize size, const PaintPicture& paint, const QColor& background) {
    if (size.isEmpty()) return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(background);
    QPainter painter(&image);
    if (paint) paint(painter);
    painter.end();
    return image;
}

bool WriteEmfPicture(const QString& path, QSize size, const PaintPicture& paint) {
    const QByteArray bytes = EmfPictureBytes(size, paint);
    return !bytes.isEmpty() && SaveFileAtomically(path, bytes);
}

bool WriteBmpPicture(const QString& path, const QImage& image) {
    if (image.isNull()) return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    // Bitmaps without an alpha channel: what every program reads the same way.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) return false;
    return SaveFileAtomically(path, bytes);
}

bool WriteBmpPicture(const QString& path, QSize size, const PaintPicture& paint) {
    return WriteBmpPicture(path, RasterPicture(size, paint));
}

bool WritePicture(const QString& path, PictureType type, QSize size, const PaintPicture& paint) {
    return type == PictureType::Emf ? WriteEmfPicture(path, size, paint)
                                    : WriteBmpPicture(path, size, paint);
}

}  // namespace kelvaron
