#pragma once
// Small helpers the main window's regions build their widgets with.
#include <QFont>
#include <QFrame>
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

}  // namespace kelvaron
