#pragma once
// The poll loop and the measurement series together, as the window joins them,
// with a chart and a window that only record what they are asked to do.
#include "testing/poll_bench.h"
#include "results/measurement_series.h"

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

class RecordingResultsHost final : public ResultsHost {
public:
    bool AskStopRecording() override {
        ++stopQuestions;
        return keepRecording ? false : true;
    }
    void ShowChartView() override { ++chartViews; }
    void RefreshChartHeader() override { ++headerRefreshes; }
    void ComposeReport() override { ++reports; }
    void ResetDecision() override { ++decisionResets; }

    bool keepRecording = false;
    int stopQuestions = 0;
    int chartViews = 0;
    int headerRefreshes = 0;
    int reports = 0;
    int decisionResets = 0;
};

struct TestBench : PollBench {
    TestResults results;
    RecordingChart chart;
    RecordingResultsHost window;
    MeasurementSeries series{results, readings, control, loop, chart, window, QLatin1Char(',')};

    TestBench() { loop.SetTestEvents(&series); }
};

}  // namespace kelvaron::testing
