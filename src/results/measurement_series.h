#pragma once
// The measurement series of a test and its results: the start commands, the
// samples and peaks of a free-acceleration test, the maximum-speed curve, the
// result lines under the chart, and erasing the results. Plain code; the chart
// and the window are reached through MeasurementChart and ResultsHost.
#include "device/device_state.h"
#include "device/poll_loop.h"
#include "device/measurement_events.h"
#include "results/measurement_chart.h"
#include "results/results_store.h"

#include <QChar>
#include <QString>

#include <optional>

namespace kelvaron {

// What the series needs from the window around it.
class ResultsHost {
public:
    virtual ~ResultsHost() = default;
    // Asks whether to stop a running recording; false keeps it (and the command stops).
    virtual bool AskStopRecording() = 0;
    // Selects the view "График" and shows it.
    virtual void ShowChartView() = 0;
    virtual void RefreshChartHeader() = 0;
    virtual void ComposeReport() = 0;
    // The report's decision back to "________".
    virtual void ResetDecision() = 0;
};

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

class MeasurementSeries final : public TestEvents {
public:
    MeasurementSeries(TestResults& results, const DeviceReadings& readings,
                      const PollControl& control, PollLoop& poll, MeasurementChart& chart,
                      ResultsHost& host, QChar separator);

    // What the chart plots: N when true, K when false (the settings' choice).
    void SetPlotsN(bool plotN) { plotN_ = plotN; }
    bool PlotsN() const { return plotN_; }

    // The operator's commands "СВ.УСК.", "МАХ.ОБ." and "Стереть".
    void StartFreeAccelTest();
    void StartMaxSpeedTest();
    void EraseResults();

    void ClearFreeAccelPeaks();
    void ResetMeasurementChart();
    void ShowFreeAccelResult();
    void ShowMaxSpeedResult();

    // TestEvents
    void InstrumentStartedTest(PollState kind) override;
    void ShowMeasurementCaption(uint8_t oldProgress) override;
    void AddFreeAccelSample(SampleValues values) override;
    void AddMaxSpeedTrendPoint() override;
    void ResultArrived(int finishedKind, int32_t validity, int32_t meanX10) override;

    int SampleIndex() const { return sampleIndex_; }

private:
    // The value drawn for opacity `n` (%): N, or K held at 9.9.
    double ChartValue(double n) const;
    void ShowResultLine(const std::optional<FootLine>& line);
    bool StartTest(int pendingRequest);

    TestResults& results_;
    const DeviceReadings& readings_;
    const PollControl& control_;
    PollLoop& poll_;
    MeasurementChart& chart_;
    ResultsHost& host_;
    QChar separator_;
    int sampleIndex_ = 0;  // x of the next point of the current curve
    bool plotN_ = false;
};

}  // namespace kelvaron
