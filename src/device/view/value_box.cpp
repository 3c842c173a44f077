#include "device/view/value_box.h"

#include "base/view/widget_kit.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {
// Room between the frame and the text, as a line edit keeps it.
constexpr int kTextMargin = 3;
}  // namespace

ValueBox::ValueBox(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // The box paints every pixel of itself: nothing behind it needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(text);
}

void ValueBox::setText(const QString& text) {
    if (text == text_) return;
    // Only what changed is painted anew: the text stands at the left, so the
    // characters before the first difference stay where they are ("1,2" to "1,3"
    // repaints the last digit), and a large box costs little to keep current.
    const QRect room = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    qsizetype same = 0;
    while (same < text.size() && same < text_.size() && text[same] == text_[same]) ++same;
    UseGlyphs();
    const qreal x = room.x() + glyphs_.Advance(text_, same);
    text_ = text;
    setAccessibleName(text);
    const int from = std::max(room.x(), static_cast<int>(std::floor(x - glyphs_.Pad())));
    PacedUpdate(pacer_, this,
                QRect(from, room.y(), room.right() + 1 - from, room.height()) & contentsRect());
}

void ValueBox::UseGlyphs() {
    glyphs_.Use(font(), palette().color(QPalette::Text), devicePixelRatioF(),
                palette().color(QPalette::Base));
}

void ValueBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    UseGlyphs();
    // The text stands at the left, centred in height.
    const QRect room = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    const int top =
        room.y() + static_cast<int>(std::floor((room.height() - glyphs_.Height() + 1) / 2));
    const QRect area = event->rect();
    // The glyph cells bring their background; only the rest of the area is filled.
    const QRegion fill = QRegion(area) - (glyphs_.Cells(room.x(), top, text_) & room);
    PaintInBands(painter, area, [&] {
        for (const QRect& r : fill) painter.fillRect(r, palette().color(QPalette::Base));
        painter.setClipRect(room, Qt::IntersectClip);
        glyphs_.Draw(painter, room.x(), top, text_, room.right());
    });
    // The frame only when it is to be repainted: a changed text repaints inside it.
    if (!contentsRect().contains(area)) drawFrame(&painter);
}

}  // namespace kelvaron
