#pragma once
// The measurement chart as the measurement series sees it: six curves and a
// one-line foot. The window puts it on the real chart; tests watch the points.
#include <QString>

#include <cstdint>

namespace kelvaron {

class MeasurementChart {
public:
    virtual ~MeasurementChart() = default;
    virtual void ClearCurves() = 0;
    // Adds a point to curve 1..6; false when the chart could not take it.
    virtual bool AddPoint(int curve, double x, double y) = 0;
    virtual void ClearFoot() = 0;
    // Writes the foot's text; its colour stays.
    virtual void SetFootText(const QString& text) = 0;
    // Colour as 0x00BBGGRR.
    virtual void SetFootColor(int32_t color) = 0;
};

}  // namespace kelvaron
