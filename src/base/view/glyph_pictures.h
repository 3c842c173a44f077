#pragma once
// GlyphPictures: a text drawn from pictures of its single characters, each
// rasterised once per font, colour and pixel ratio. A value repainted up to 40
// times a second then costs a few picture copies, not a text layout and its
// shaping; digits of 70 points and more would otherwise be rasterised from their
// outlines on every repaint. Characters are placed by their advances (the digits,
// separators and signs of readings have no kerning).
//
// On a background colour the pictures are opaque cells as wide as a character's
// advance: drawing them is a plain copy, and the text needs no background under
// it. The ink of digits, separators and signs lies inside their advances.
// Without one they are transparent and reach `Pad()` beyond the advance.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>

class QPainter;

namespace kelvaron {

class GlyphPictures {
public:
    // Forgets the pictures when the font, colours or pixel ratio differ.
    void Use(const QFont& font, const QColor& color, qreal pixelRatio,
             const QColor& background = {});

    // The pen's advance over `text`, or over its first `count` characters.
    qreal Advance(const QString& text, qsizetype count = -1);
    // How far a character's ink may reach beyond its advance, on either side.
    qreal Pad() const { return pad_; }
    // The height of a line of the font, and of a cell.
    qreal Height() const { return height_; }
    // The pixels the text's cells cover with the pen starting at `x` and the
    // line's top at `top` (nothing without a background).
    QRect Cells(qreal x, int top, const QString& text);
    // Draws `text` with the pen starting at `x` and the line's top at `top`;
    // characters starting right of `right` are skipped.
    void Draw(QPainter& painter, qreal x, qreal top, const QString& text, qreal right = 1e9);

private:
    struct Glyph {
        QPixmap picture;  // the character, its pen position `pad_` from the left edge
        qreal advance = 0;
    };
    const Glyph& For(QChar c);

    QFont font_;
    QColor color_;
    QColor background_;
    qreal ratio_ = 1;
    qreal pad_ = 0;
    qreal height_ = 0;
    qreal ascent_ = 0;
    QHash<QChar, Glyph> glyphs_;
};

}  // namespace kelvaron
