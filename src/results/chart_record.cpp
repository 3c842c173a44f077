// Keeping what the measurement chart shows.
#include "results/chart_record.h"

namespace kelvaron {

void RecordingChart::ClearCurves() {
    for (auto& curve : record_.curves) curve.clear();
    shown_.ClearCurves();
}

bool RecordingChart::AddPoint(int curve, double x, double y) {
    if (!shown_.AddPoint(curve, x, y)) return false;
    if (curve >= 1 && curve <= ChartRecord::kCurves)
        record_.curves[static_cast<size_t>(curve - 1)].append(QPointF(x, y));
    return true;
}

void RecordingChart::ClearFoot() {
    record_.footText.clear();
    shown_.ClearFoot();
}

void RecordingChart::SetFootText(const QString& text) {
    record_.footText = text;
    shown_.SetFootText(text);
}

void RecordingChart::SetFootColor(int32_t color) {
    record_.footColor = color;
    shown_.SetFootColor(color);
}

void DrawChartRecord(const ChartRecord& record, MeasurementChart& chart) {
    chart.ClearCurves();
    for (int n = 1; n <= ChartRecord::kCurves; ++n)
        for (const QPointF& point : record.curves[static_cast<size_t>(n - 1)])
            chart.AddPoint(n, point.x(), point.y());
    chart.ClearFoot();
    chart.SetFootColor(record.footColor);
    chart.SetFootText(record.footText);
}

}  // namespace kelvaron
