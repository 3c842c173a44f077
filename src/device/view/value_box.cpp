#include "device/view/value_box.h"

#include "base/view/widget_kit.h"

#include <QEvent>
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
    qreal x = room.x();
    for (qsizetype i = 0; i < same; ++i) x += GlyphFor(text_[i]).advance;
    text_ = text;
    setAccessibleName(text);
    const int from = std::max(room.x(), static_cast<int>(std::floor(x - pad_)));
    update(QRect(from, room.y(), room.right() + 1 - from, room.height()) & contentsRect());
}

void ValueBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange)
        glyphs_.clear();
    QFrame::changeEvent(event);
}

const ValueBox::Glyph& ValueBox::GlyphFor(QChar c) {
    auto it = glyphs_.constFind(c);
    if (it != glyphs_.constEnd()) return *it;
    const QFontMetricsF metrics(font());
    pad_ = std::ceil(metrics.height() / 4);
    const qreal ratio = devicePixelRatioF();
    Glyph glyph;
    glyph.advance = metrics.horizontalAdvance(c);
    const QSizeF size(glyph.advance + 2 * pad_, metrics.height());
    glyph.picture = QPixmap((size * ratio).toSize());
    glyph.picture.setDevicePixelRatio(ratio);
    glyph.picture.fill(Qt::transparent);
    if (!c.isSpace()) {
        QPainter painter(&glyph.picture);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(pad_, metrics.ascent()), QString(c));
    }
    return *glyphs_.insert(c, glyph);
}

void ValueBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The text stands at the left, centred in height.
    const QRect room = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    const QFontMetricsF metrics(font());
    const qreal top = room.y() + std::floor((room.height() - metrics.height() + 1) / 2);
    const QRect area = event->rect();
    PaintInBands(painter, area, [&] {
        painter.fillRect(area, palette().color(QPalette::Base));
        painter.setClipRect(room, Qt::IntersectClip);
        qreal x = room.x();
        for (const QChar c : text_) {
            if (x > room.right()) break;
            const Glyph& glyph = GlyphFor(c);
            painter.drawPixmap(QPointF(x - pad_, top), glyph.picture);
            x += glyph.advance;
        }
    });
    // The frame only when it is to be repainted: a changed text repaints inside it.
    if (!contentsRect().contains(area)) drawFrame(&painter);
}

}  // namespace kelvaron
