#pragma once
// RecordingChart: a measurement chart that keeps what is drawn on another. The
// window draws through it, so a test's curves and foot can be kept with its
// result and drawn again later.
#include "results/measurement_chart.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <array>

namespace kelvaron {

struct ChartRecord {
    static constexpr int kCurves = 6;
    std::array<QList<QPointF>, kCurves> curves;  // curve n at n - 1
    QString footText;
    int32_t footColor = 0;
    bool operator==(const ChartRecord&) const = default;
};

class RecordingChart final : public MeasurementChart {
public:
    explicit RecordingChart(MeasurementChart& shown) : shown_(shown) {}
    const ChartRecord& Record() const { return record_; }

    void ClearCurves() override;
    bool AddPoint(int curve, double x, double y) override;
    void ClearFoot() override;
    void SetFootText(const QString& text) override;
    void SetFootColor(int32_t color) override;

private:
    MeasurementChart& shown_;
    ChartRecord record_;
};

// Draws `record` on `chart`: its curves and its foot.
void DrawChartRecord(const ChartRecord& record, MeasurementChart& chart);

}  // namespace kelvaron
