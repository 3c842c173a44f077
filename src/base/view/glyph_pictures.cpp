#include "base/view/glyph_pictures.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvaron {

namespace {
// An opaque cell is one pixel wider than its advance rounded up: cells placed at
// rounded pen positions then leave no gap between them or after the text.
int CellWidth(qreal advance) { return static_cast<int>(std::ceil(advance)) + 1; }
}  // namespace

void GlyphPictures::Use(const QFont& font, const QColor& color, qreal pixelRatio,
                        const QColor& background) {
    if (!glyphs_.isEmpty() && font == font_ && color == color_ && pixelRatio == ratio_ &&
        background == background_)
        return;
    glyphs_.clear();
    font_ = font;
    color_ = color;
    background_ = background;
    ratio_ = pixelRatio;
    const QFontMetricsF metrics(font_);
    height_ = std::ceil(metrics.height());
    ascent_ = metrics.ascent();
    pad_ = background_.isValid() ? 0 : std::ceil(height_ / 4);
}

const GlyphPictures::Glyph& GlyphPictures::For(QChar c) {
    auto it = glyphs_.constFind(c);
    if (it != glyphs_.constEnd()) return *it;
    Glyph glyph;
    glyph.advance = QFontMetricsF(font_).horizontalAdvance(c);
    const QSizeF size(background_.isValid() ? CellWidth(glyph.advance) : glyph.advance + 2 * pad_,
                      height_);
    glyph.picture = QPixmap((size * ratio_).toSize());
    glyph.picture.setDevicePixelRatio(ratio_);
    glyph.picture.fill(background_.isValid() ? background_ : QColor(Qt::transparent));
    if (!c.isSpace()) {
        QPainter painter(&glyph.picture);
        painter.setFont(font_);
        painter.setPen(color_);
        painter.drawText(QPointF(pad_, ascent_), QString(c));
    }
    return *glyphs_.insert(c, glyph);
}

qreal GlyphPictures::Advance(const QString& text, qsizetype count) {
    if (count < 0 || count > text.size()) count = text.size();
    qreal advance = 0;
    for (qsizetype i = 0; i < count; ++i) advance += For(text[i]).advance;
    return advance;
}

QRect GlyphPictures::Cells(qreal x, int top, const QString& text) {
    if (!background_.isValid() || text.isEmpty()) return {};
    const int left = static_cast<int>(std::lround(x));
    // The cells end at or beyond the text's advance rounded up.
    const int end = static_cast<int>(std::ceil(x + Advance(text)));
    return QRect(left, top, end - left, static_cast<int>(height_));
}

void GlyphPictures::Draw(QPainter& painter, qreal x, qreal top, const QString& text, qreal right) {
    for (const QChar c : text) {
        if (x > right) break;
        const Glyph& glyph = For(c);
        // Opaque cells at whole pixels are copied, not blended.
        if (background_.isValid())
            painter.drawPixmap(
                QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(top))),
                glyph.picture);
        else
            painter.drawPixmap(QPointF(x - pad_, top), glyph.picture);
        x += glyph.advance;
    }
}

}  // namespace kelvaron
