#pragma once
// Chart3, the measurement chart: six curves "Измер.1".."Измер.6" over a fixed
// sample axis 0..160, a vertical scale on both sides (0..10 for K, 0..100 for N),
// a two-line title and a bold one-line foot drawn into the chart's own picture,
// so a saved or printed chart carries it.
#include "results/measurement_chart.h"

#include <QColor>
#include <QString>

#include <array>

class QChart;
class QGraphicsSimpleTextItem;
class QLineSeries;
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
    void SetFonts(int titlePoints, int footPoints, int axisPoints, int legendPoints);

private:
    void PlaceFoot();

    QChart* chart_;
    std::array<QLineSeries*, kCurves> curves_{};
    QValueAxis* bottom_ = nullptr;
    QValueAxis* left_ = nullptr;
    QValueAxis* right_ = nullptr;
    QGraphicsSimpleTextItem* foot_ = nullptr;
};

}  // namespace kelvaron
