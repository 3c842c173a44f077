#include "report/view/scene_picture.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QPalette>

namespace kelvaron {

void PaintScene(QPainter& painter, QGraphicsScene& scene, const QRectF& source,
                const QRectF& target, const QBrush& background) {
    painter.save();
    if (background.style() != Qt::NoBrush) painter.fillRect(target, background);
    scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
    painter.restore();
}

QSize ViewPictureSize(const QGraphicsView& view) { return view.viewport()->size(); }

void PaintView(QPainter& painter, QGraphicsView& view) {
    const QWidget* viewport = view.viewport();
    const QRectF target(QPointF(0, 0), QSizeF(ViewPictureSize(view)));
    painter.save();
    // What lies under the scene on screen: the viewport's filled background.
    if (viewport->autoFillBackground() || view.autoFillBackground())
        painter.fillRect(target, viewport->palette().brush(viewport->backgroundRole()));
    view.render(&painter, target, viewport->rect(), Qt::IgnoreAspectRatio);
    painter.restore();
}

bool WriteViewPicture(const QString& path, PictureType type, QGraphicsView& view) {
    return WritePicture(path, type, ViewPictureSize(view),
                        [&view](QPainter& painter) { PaintView(painter, view); });
}

}  // namespace kelvaron
