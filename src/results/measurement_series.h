#pragma once
// The measurement series of a test and its results: the start commands, the
// samples and peaks of a free-acceleration test, the maximum-speed curve, the
// result lines under the chart, and erasing the results. Plain code: it draws
// through MeasurementChart and tells the window what to show through signals.
#include "device/device_state.h"
#include "device/poll_loop.h"
#include "results/measurement_chart.h"
#include "results/results_store.h"

#include <QChar>
#include <QObject>
#include <QString>

#include <optional>

namespace kelvaron {

// Foot colours, 0x00BBGGRR.
constexpr int32_t kFootNavy = 0x00800000;
constexpr int32_t kFootGreen = 0x00008000;
constexpr int32_t kFootRed = 0x000000FF;

struct FootLine {
    QString text;
    int32_t color = 0;
};

// The result lines under the chart; empty for a validity code without a text.
std::optional<FootLine> FreeAccelResultLine(int32_t meanX10, int32_t validity, QChar separator);
std::optional<FootLine> MaxSpeedResultLine(int32_t meanX10, int32_t validity, QChar separator);
// The quantity title of a freshly reset chart.
QString QuantityTitle(bool plotN);

class MeasurementSeries final : public QObject {
    Q_OBJECT

public:
    // `readings` and `control` are the loop's records as the series' thread last
    // received them.
    MeasurementSeries(TestResults& results, const DeviceReadings& readings,
                      const PollControl& control, MeasurementChart& chart, QChar separator);
    // Follows the tests the loop reports (its captions, samples, points, results
    // and the tests the instrument starts itself), and hands it the start commands.
    void Follow(PollLoop& poll);

    // What the chart plots: N when true, K when false (the settings' choice).
    void SetPlotsN(bool plotN) { plotN_ = plotN; }
    bool PlotsN() const { return plotN_; }

    // The operator's commands "СВ.УСК.", "МАХ.ОБ." and "Стереть". The start
    // commands come after the question about a running recording.
    void StartFreeAccelTest();
    void StartMaxSpeedTest();
    void EraseResults();

    void ClearFreeAccelPeaks();
    void ResetMeasurementChart();
    void ShowFreeAccelResult();
    void ShowMaxSpeedResult();

    // What the poll loop reports while it follows a test.
    void InstrumentStartedTest(PollState kind);
    void ShowMeasurementCaption(uint8_t oldProgress);
    void AddFreeAccelSample(SampleValues values);
    void AddMaxSpeedTrendPoint();
    void ResultArrived(TestKind kind, int32_t validity, int32_t meanX10);

    int SampleIndex() const { return sampleIndex_; }

signals:
    // A start command passed the gate: the loop sends it at the end of its cycle.
    void commandRequested(PendingRequest request);
    // A notice for the operator: the gate refused a command.
    void notice(const QString& text);
    // The view "График" is to be shown (a test starts, a result arrives).
    void chartViewWanted();
    // The chart was reset: its title and the report are to be made anew.
    void chartReset();
    // A test of `kind` brought its result in (the results changed signal follows).
    void testResultArrived(TestKind kind);
    // The results changed: the report is to be composed anew.
    void resultsChanged();
    // "Стереть": the report's decision goes back to "________".
    void decisionReset();

private:
    // The value drawn for opacity `n` (%): N, or K held at 9.9.
    double ChartValue(double n) const;
    void ShowResultLine(const std::optional<FootLine>& line);
    bool StartTest(PendingRequest request);

    TestResults& results_;
    const DeviceReadings& readings_;
    const PollControl& control_;
    MeasurementChart& chart_;
    QChar separator_;
    int sampleIndex_ = 0;  // x of the next point of the current curve
    bool plotN_ = false;
};

}  // namespace kelvaron
