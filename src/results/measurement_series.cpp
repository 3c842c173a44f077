#include "results/measurement_series.h"

#include "base/quantities.h"

#include <algorithm>

namespace kelvaron {

namespace {

// "K = 0,456 м-1<between> Ср.дымность N = 17,8 % " after the common lead.
QString ValidLine(int32_t meanX10, const QString& between, QChar separator) {
    const double n = meanX10 / 10.0;
    return QStringLiteral(" Ср.коэфф.ослабл. K = ") + FormatFixed(OpacityToK(n), 3, separator, 5) +
           QStringLiteral(" м-1") + between + QStringLiteral(" Ср.дымность N = ") +
           FormatFixed(n, 1, separator) + QStringLiteral(" % ");
}

}  // namespace

namespace {

// The result line under the chart of a test of `kind`; `between` follows "м-1".
std::optional<FootLine> ResultLine(TestKind kind, int32_t meanX10, int32_t code,
                                   const QString& between, QChar separator) {
    const Validity validity = ValidityOf(kind, code);
    if (validity == Validity::Unknown) return std::nullopt;
    if (validity == Validity::Valid)
        return FootLine{ValidLine(meanX10, between, separator), kFootGreen};
    return FootLine{InvalidResultText(validity), kFootRed};
}

}  // namespace

std::optional<FootLine> FreeAccelResultLine(int32_t meanX10, int32_t validity, QChar separator) {
    return ResultLine(TestKind::FreeAccel, meanX10, validity, QStringLiteral(" ,"), separator);
}

std::optional<FootLine> MaxSpeedResultLine(int32_t meanX10, int32_t validity, QChar separator) {
    return ResultLine(TestKind::MaxSpeed, meanX10, validity, QStringLiteral("  "), separator);
}

QString QuantityTitle(bool plotN) {
    return plotN ? QStringLiteral("    Дымность   ,   %    ")
                 : QStringLiteral("  Коэффициент ослабления  ,  м-1   ");
}

MeasurementSeries::MeasurementSeries(TestResults& results, const DeviceReadings& readings,
                                     const PollControl& control, MeasurementChart& chart,
                                     QChar separator)
    : results_(results),
      readings_(readings),
      control_(control),
      chart_(chart),
      separator_(separator) {}

void MeasurementSeries::Follow(PollLoop& poll) {
    connect(&poll, &PollLoop::instrumentStartedTest, this,
            &MeasurementSeries::InstrumentStartedTest);
    connect(&poll, &PollLoop::measurementCaptionDue, this,
            &MeasurementSeries::ShowMeasurementCaption);
    connect(&poll, &PollLoop::freeAccelSampleDue, this, &MeasurementSeries::AddFreeAccelSample);
    connect(&poll, &PollLoop::maxSpeedPointDue, this, &MeasurementSeries::AddMaxSpeedTrendPoint);
    connect(&poll, &PollLoop::resultArrived, this, &MeasurementSeries::ResultArrived);
    connect(this, &MeasurementSeries::commandRequested, &poll, &PollLoop::SetPendingRequest);
}

// ---- Commands ----

bool MeasurementSeries::StartTest(PendingRequest request) {
    const QString refusal = CommandRefusal(control_, readings_);
    if (!refusal.isEmpty()) {
        emit notice(refusal);
        return false;
    }
    emit commandRequested(request);  // sent at the end of the polling cycle
    return true;
}

void MeasurementSeries::StartFreeAccelTest() {
    if (!StartTest(PendingRequest::FreeAccel)) return;
    ClearFreeAccelPeaks();
    ResetMeasurementChart();
    emit chartViewWanted();
}

void MeasurementSeries::StartMaxSpeedTest() {
    // The peaks of the last free-acceleration test stay for the report.
    if (!StartTest(PendingRequest::MaxSpeed)) return;
    ResetMeasurementChart();
    emit chartViewWanted();
}

void MeasurementSeries::EraseResults() {
    results_.hasMaxSpeedResult = false;
    results_.hasFreeAccelResult = false;
    results_.maxSpeedMeanX10 = 0;
    results_.maxSpeedValidity = 0;
    results_.freeAccelMeanX10 = 0;
    results_.freeAccelValidity = 0;
    emit decisionReset();
    ClearFreeAccelPeaks();
    ResetMeasurementChart();
}

void MeasurementSeries::ClearFreeAccelPeaks() {
    results_.peakK.fill(0.0);
    results_.peakN.fill(0.0);
    results_.peakRpm.fill(0);
    results_.sampled.fill(false);
}

void MeasurementSeries::ResetMeasurementChart() {
    chart_.ClearCurves();
    sampleIndex_ = 0;
    chart_.ClearFoot();
    chart_.SetFootColor(kFootNavy);
    chart_.SetFootText(QuantityTitle(PlotsN()));
    emit chartReset();
}

// ---- During a test ----

void MeasurementSeries::InstrumentStartedTest(PollState kind) {
    if (kind == PollState::FreeAccelTest) ClearFreeAccelPeaks();
    ResetMeasurementChart();
    emit chartViewWanted();
}

void MeasurementSeries::ShowMeasurementCaption(uint8_t oldProgress) {
    sampleIndex_ = 0;  // each measurement's curve starts at the left edge
    chart_.ClearFoot();
    const int next = oldProgress / 16 + 1;
    if (next <= TestResults::kMeasurements) {
        const QString lead = PlotsN() ? QStringLiteral(" Дымность ,  %,  Измерение  №   ")
                                      : QStringLiteral(" Коэфф.ослабления , м-1,  Измерение  №   ");
        chart_.SetFootText(lead + QString::number(next) + QStringLiteral("  "));
    } else {
        chart_.SetFootText(QStringLiteral("    Результат измерения :    "));
    }
}

double MeasurementSeries::ChartValue(double n) const {
    if (PlotsN()) return n;
    return std::min(OpacityToK(n), kMaxShownK);
}

void MeasurementSeries::AddFreeAccelSample(SampleValues values) {
    if (!control_.collecting) return;
    const int progress = readings_.progress;
    const double n = readings_.opacityX10 / 10.0;
    // Only while an acceleration is sampled (exactly 16, 32, .. 96) is a point drawn.
    if (progress % 16 == 0 && progress >= 16 && progress <= 96) {
        if (!chart_.AddPoint(progress / 16, sampleIndex_, ChartValue(n))) return;  // sample dropped
    }
    const int measurement = progress / 16;
    if (values == SampleValues::Answered && measurement >= 1 &&
        measurement <= TestResults::kMeasurements) {
        const size_t i = static_cast<size_t>(measurement - 1);
        results_.sampled[i] = true;
        if (n > results_.peakN[i]) {
            results_.peakN[i] = n;
            results_.peakK[i] = OpacityToK(n);
        }
        results_.peakRpm[i] = std::max(results_.peakRpm[i], readings_.engineSpeed);
    }
    ++sampleIndex_;
}

void MeasurementSeries::AddMaxSpeedTrendPoint() {
    if (!control_.collecting) return;
    if (chart_.AddPoint(1, sampleIndex_, ChartValue(readings_.opacityX10 / 10.0))) ++sampleIndex_;
}

// ---- Results ----

void MeasurementSeries::ResultArrived(TestKind kind, int32_t validity, int32_t meanX10) {
    emit testResultArrived(kind);
    if (kind == TestKind::MaxSpeed) {
        results_.hasMaxSpeedResult = true;
        results_.maxSpeedValidity = validity;
        results_.maxSpeedMeanX10 = meanX10;
        ShowMaxSpeedResult();
    } else {
        results_.hasFreeAccelResult = true;
        results_.freeAccelValidity = validity;
        results_.freeAccelMeanX10 = meanX10;
        ShowFreeAccelResult();
    }
}

void MeasurementSeries::ShowResultLine(const std::optional<FootLine>& line) {
    emit chartViewWanted();
    chart_.ClearFoot();
    if (line) {
        chart_.SetFootColor(line->color);
        chart_.SetFootText(line->text);
    }
    emit resultsChanged();
}

void MeasurementSeries::ShowFreeAccelResult() {
    ShowResultLine(
        FreeAccelResultLine(results_.freeAccelMeanX10, results_.freeAccelValidity, separator_));
}

void MeasurementSeries::ShowMaxSpeedResult() {
    ShowResultLine(
        MaxSpeedResultLine(results_.maxSpeedMeanX10, results_.maxSpeedValidity, separator_));
}

}  // namespace kelvaron
