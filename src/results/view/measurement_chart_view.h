#pragma once
// Chart3, the measurement chart: six curves "Измер.1".."Измер.6" over a fixed
// sample axis 0..160, a vertical scale on both sides (0..10 for K, 0..100 for N),
// a two-line title and a bold one-line foot. The foot stands on a strip of the
// window's colour along the bottom of the chart's own picture, so a saved or
// printed chart carries it and its navy, green or red reads on any background.
#include "results/measurement_chart.h"

#include <QColor>
#include <QMetaObject>
#include <QSizeF>
#include <QString>

#include <array>

class QChart;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QPainter;
class QRectF;
class QValueAxis;

namespace kelvaron {

class MeasurementChartView final : public MeasurementChart {
public:
    static constexpr int kCurves = 6;
    static constexpr double kSamplesAcross = 160;

    MeasurementChartView();
    ~MeasurementChartView() override;
    MeasurementChartView(const MeasurementChartView&) = delete;
    MeasurementChartView& operator=(const MeasurementChartView&) = delete;

    // The chart, for a view to show; the caller's view takes ownership.
    QChart* Chart() const { return chart_; }
    // The curves, 1..6.
    QLineSeries* Curve(int n) const { return curves_[static_cast<size_t>(n - 1)]; }
    QValueAxis* LeftAxis() const { return left_; }
    QValueAxis* RightAxis() const { return right_; }
    QString FootText() const;
    QColor FootColor() const;
    // Where the foot's text and its strip lie in the chart's picture.
    QRectF FootTextRect() const;
    QRectF FootStripRect() const;
    // The colour of the title, legend and scale texts.
    QColor TextColor() const { return textColor_; }

    // MeasurementChart
    void ClearCurves() override;
    bool AddPoint(int curve, double x, double y) override;
    void ClearFoot() override;
    void SetFootText(const QString& text) override;
    void SetFootColor(int32_t color) override;

    void SetCurveColor(int curve, const QColor& color);
    void SetLineWidth(int width);
    void SetVerticalMaximum(double maximum);
    void SetTitle(const QString& firstLine, const QString& secondLine);
    // The background; the title, legend and scales turn black or white to stay
    // readable on it.
    void SetBackground(const QColor& color);
    // The strip under the chart: the window's colour on screen, white on paper.
    void SetFootStripOnPaper(bool onPaper);
    void SetLegendVisible(bool visible);
    // The largest font sizes, in points, the window's proportions allow; the foot
    // gets a smaller one where its longest line would not fit the chart's width.
    void SetFonts(int titlePoints, int footPoints, int axisPoints, int legendPoints);
    // The chart's size in pixels, given whether or not it is on screen.
    void Resize(const QSizeF& size);

private:
    void PlaceFoot();
    void FitFoot();

    QChart* chart_;
    std::array<QLineSeries*, kCurves> curves_{};
    QValueAxis* bottom_ = nullptr;
    QValueAxis* left_ = nullptr;
    QValueAxis* right_ = nullptr;
    QGraphicsRectItem* footStrip_ = nullptr;
    QGraphicsSimpleTextItem* foot_ = nullptr;
    QColor textColor_;
    int footPoints_ = 8;
    QMetaObject::Connection followSize_;
};

// The program's colours of the six measurement lines and of the foot.
void SetMeasurementColors(MeasurementChartView& chart);

// The longest lines the foot shows; its font is fitted so that each of them fits.
QStringList LongestFootLines();

}  // namespace kelvaron
