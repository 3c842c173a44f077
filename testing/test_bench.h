#pragma once
// The poll loop and the measurement series together, as the window joins them,
// with a chart and a window that only record what they are asked to do.
#include "results/measurement_series.h"
#include "testing/poll_bench.h"

#include <QStringList>

#include <map>
#include <utility>
#include <vector>

namespace kelvaron::testing {

class RecordingChart final : public MeasurementChart {
public:
    void ClearCurves() override {
        curves.clear();
        ++clears;
    }
    bool AddPoint(int curve, double x, double y) override {
        if (refuse) return false;
        curves[curve].emplace_back(x, y);
        return true;
    }
    void ClearFoot() override { foot.clear(); }
    void SetFootText(const QString& text) override {
        foot = text;
        feet << text;
    }
    void SetFootColor(int32_t c) override { color = c; }

    std::map<int, std::vector<std::pair<double, double>>> curves;
    int clears = 0;
    QString foot;
    QStringList feet;  // every text written, in order
    int32_t color = 0;
    bool refuse = false;
};

// What the series asks of the window, counted.
struct RecordingWindow {
    void Attach(MeasurementSeries& series) {
        QObject::connect(&series, &MeasurementSeries::chartViewWanted, [this] { ++chartViews; });
        QObject::connect(&series, &MeasurementSeries::chartReset, [this] {
            ++headerRefreshes;  // the window makes the chart's title anew
            ++reports;          // and composes the report
        });
        QObject::connect(&series, &MeasurementSeries::resultsChanged, [this] { ++reports; });
        QObject::connect(&series, &MeasurementSeries::decisionReset, [this] { ++decisionResets; });
    }

    int chartViews = 0;
    int headerRefreshes = 0;
    int reports = 0;
    int decisionResets = 0;
};

struct TestBench : PollBench {
    TestResults results;
    RecordingChart chart;
    RecordingWindow window;
    MeasurementSeries series{results, readings, control, chart, QLatin1Char(',')};

    TestBench() {
        series.Follow(loop);
        window.Attach(series);
        QObject::connect(&series, &MeasurementSeries::notice,
                         [this](const QString& text) { messages.Notice(text); });
    }
};

}  // namespace kelvaron::testing
