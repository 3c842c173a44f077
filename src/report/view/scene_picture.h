#pragma once
// Scenes and views painted onto any painter: a bitmap, an Enhanced Metafile, a
// printer. The measurement chart is a scene shown by a view; its picture is what
// the view shows, at the view's size, in the chart's own colours.
#include "report/metafile/picture_files.h"

#include <QBrush>
#include <QRectF>
#include <QSize>
#include <QString>

class QGraphicsScene;
class QGraphicsView;
class QPainter;

namespace kelvaron {

// Paints the part `source` of `scene` stretched over `target` on the painter,
// after filling `target` with `background` (Qt::NoBrush: nothing).
void PaintScene(QPainter& painter, QGraphicsScene& scene, const QRectF& source,
                const QRectF& target, const QBrush& background = Qt::NoBrush);

// The size of what the view shows on screen (its viewport), in pixels.
QSize ViewPictureSize(const QGraphicsView& view);

// Paints what the view shows at (0, 0), at ViewPictureSize: the viewport's own
// background, then the scene through the view's transform.
void PaintView(QPainter& painter, QGraphicsView& view);

// Writes the view's picture as a BMP or an EMF (see picture_files.h); false, with
// no file left, when it cannot be written.
bool WriteViewPicture(const QString& path, PictureType type, QGraphicsView& view);

}  // namespace kelvaron
