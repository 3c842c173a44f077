#pragma once
// Small helpers the main window's regions build their widgets with.
#include <QFont>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QRect>

namespace kelvaron {

// How long a tool tip stays, in milliseconds.
constexpr int kToolTipMs = 5000;

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QFrame* MakePanel(QWidget* parent, const char* name) {
    auto* panel = Named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                               const QString& tip = {}) {
    auto* button = Named(new QPushButton(text, parent), name);
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
        button->setToolTipDuration(kToolTipMs);
    }
    return button;
}

inline void SetPoints(QWidget* widget, int points) {
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

inline void Place(QWidget* widget, const QRect& rect, int points) {
    widget->setGeometry(rect);
    SetPoints(widget, points);
}

// Qt's raster engine hands a fill or a picture of more than about 96 rows to
// its thread pool in pieces, waking the pool's threads at every paint (four
// context switches each). A widget repainted at every tick paints the rows of
// `area` in bands of 64, each within the painter's clip, and stays in its own
// thread; `paint` draws the whole widget and is called once a band.
template <typename Paint>
void PaintInBands(QPainter& painter, const QRect& area, Paint paint) {
    constexpr int kBandRows = 64;
    for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
        painter.save();
        painter.setClipRect(
            QRect(area.left(), top, area.width(), std::min(kBandRows, area.bottom() + 1 - top)),
            Qt::IntersectClip);
        paint();
        painter.restore();
    }
}

}  // namespace kelvaron
