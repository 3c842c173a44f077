#pragma once
// ValueBox: a read-only box with large digits (the K, N, speed and temperature
// boxes of the live panel). It paints its text from glyph pictures, so a repaint
// up to 40 times a second costs a few picture copies. Its text is also its
// accessible name, so a screen reader or a test reads the value.
#include "base/view/glyph_pictures.h"

#include <QFrame>
#include <QString>

namespace kelvaron {

class ValueBox final : public QFrame {
    Q_OBJECT

public:
    ValueBox(const QString& text, QWidget* parent);

    QString text() const { return text_; }
    // Repaints only when the text changes.
    void setText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The pictures follow the box's font, text colour and pixel ratio.
    void UseGlyphs();

    QString text_;
    GlyphPictures glyphs_;
};

}  // namespace kelvaron
