#pragma once
// Chart4, the small bar chart of the live panel: a title, a scale from 0 to its
// maximum on the left and on the right, one bar with the current smoke value and
// a foot with the same value as text. Drawn by hand: it is one bar, refreshed up
// to eight times a polling cycle, and every text must stay readable in a strip a
// few dozen pixels wide.
#include "base/view/glyph_pictures.h"
#include "device/view/frame_pacer.h"

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace kelvaron {

class SmokeBarChart final : public QWidget {
    Q_OBJECT

public:
    explicit SmokeBarChart(QWidget* parent);

    QString Title() const { return title_; }
    double Maximum() const { return maximum_; }
    double Value() const { return value_; }
    QString Label() const { return label_; }
    QString Foot() const { return foot_; }
    QColor BarColor() const { return barColor_; }

    void SetTitle(const QString& title);
    // The scale of both axes, 0 to `maximum`. The bar keeps its value.
    void SetMaximum(double maximum);
    // The one bar and its label; repaints only when the bar's top moves by a pixel.
    void SetBar(double value, const QString& label);
    void SetFoot(const QString& foot);
    // The repaints of a new bar or foot go through `pacer` (none: at once).
    void SetPacer(FramePacer* pacer) { pacer_ = pacer; }
    // The largest font sizes, in points, the window's proportions allow; smaller
    // sizes are used where a text would not fit.
    void SetFontSizes(int titlePoints, int footPoints, int axisPoints);

    // Where the parts lie in the widget, for tests and the layout.
    QRect PlotRect() const;
    QRect BarRect() const;
    QRect FootRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Geometry {
        QRect title, plot, foot;
        QFont titleFont, footFont, axisFont;
    };
    void Arrange();
    // The parts that do not move with the value: background, title, grid, scales.
    void DrawStill(QPainter& p) const;
    int BarTop(double value) const;
    // Where the foot's text stands: its pixels, and the pen's start for `width`.
    QRect FootTextRect();
    qreal FootTextLeft(qreal width) const;
    double TickStep() const;

    QString title_;
    double maximum_ = 100;
    double value_ = 0;
    QString label_;
    QString foot_;
    QColor barColor_;
    int titlePoints_ = 8, footPoints_ = 8, axisPoints_ = 6;
    Geometry g_;
    QPixmap still_;             // DrawStill's picture, redrawn when the title, scale or size change
    GlyphPictures footGlyphs_;  // the foot's text, repainted with every value
    FramePacer* pacer_ = nullptr;
};

}  // namespace kelvaron
