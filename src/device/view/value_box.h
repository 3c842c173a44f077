#pragma once
// ValueBox: a read-only box with large digits (the K, N, speed and temperature
// boxes of the live panel). It paints its text from glyph pictures, so a repaint
// costs a few picture copies however often the text changes. Its text is also its
// accessible name, so a screen reader or a test reads the value.
#include "base/view/glyph_pictures.h"
#include "device/view/frame_pacer.h"

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
    // Its repaints after a new text go through `pacer` (none: at once).
    void SetPacer(FramePacer* pacer) { pacer_ = pacer; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The pictures follow the box's font, text colour and pixel ratio.
    void UseGlyphs();

    QString text_;
    GlyphPictures glyphs_;
    FramePacer* pacer_ = nullptr;
};

}  // namespace kelvaron
