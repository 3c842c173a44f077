#pragma once
// ValueBox: a read-only box with large digits (the K, N, speed and temperature
// boxes of the live panel). It paints its text from pictures of single
// characters, each drawn once per font and colour: digits of 70 points and more
// would otherwise be rasterised from their outlines on every repaint, up to 30
// times a second. Its text is also its accessible name, so a screen reader or a
// test reads the value.
#include <QFrame>
#include <QHash>
#include <QPixmap>
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
    void changeEvent(QEvent* event) override;

private:
    struct Glyph {
        QPixmap picture;  // the character, its pen position `pad_` from the left edge
        qreal advance = 0;
    };
    const Glyph& GlyphFor(QChar c);

    QString text_;
    QHash<QChar, Glyph> glyphs_;
    qreal pad_ = 0;
};

}  // namespace kelvaron
