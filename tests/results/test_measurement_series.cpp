// Samples, peaks and result lines of the measurement series, fed by hand.
#include "base/quantities.h"
#include "testing/test_bench.h"

#include <QTest>

#include <cmath>

using namespace kelvaron;
using kelvaron::testing::TestBench;

namespace {

// A sample with the given progress, opacity (tenths of a percent) and speed.
void Sample(TestBench& b, int progress, int opacityX10, int rpm,
            SampleValues values = SampleValues::Answered) {
    b.readings.progress = static_cast<uint8_t>(progress);
    b.readings.opacityX10 = opacityX10;
    b.readings.engineSpeed = rpm;
    b.series.AddFreeAccelSample(values);
}

}  // namespace

class MeasurementSeriesTest : public QObject {
    Q_OBJECT

private slots:
    void samplesGoToTheCurveOfTheirMeasurementAndRaiseItsPeaks() {
        TestBench b;
        b.control.collecting = true;
        Sample(b, 15, 300, 2000);  // below 16: belongs to no measurement
        QCOMPARE(b.series.SampleIndex(), 1);
        QVERIFY(b.chart.curves.empty());
        QCOMPARE(b.results.peakN[0], 0.0);

        Sample(b, 16, 400, 3000);
        Sample(b, 17, 450, 2500);  // between accelerations: no point, but the peaks of 1
        QCOMPARE(b.chart.curves[1].size(), size_t{1});
        QCOMPARE(b.chart.curves[1][0], (std::pair<double, double>(1, OpacityToK(40.0))));
        QCOMPARE(b.results.peakN[0], 45.0);
        QCOMPARE(b.results.peakK[0], OpacityToK(45.0));
        QCOMPARE(b.results.peakRpm[0], 3000);

        Sample(b, 16, 420, 3500);  // lower opacity, higher speed
        QCOMPARE(b.results.peakN[0], 45.0);
        QCOMPARE(b.results.peakRpm[0], 3500);
        QCOMPARE(b.series.SampleIndex(), 4);

        Sample(b, 96, 100, 900);
        QCOMPARE(b.chart.curves[6].size(), size_t{1});
        QCOMPARE(b.results.peakN[5], 10.0);

        // Values held while a reply is awaited are drawn but raise no peak, and
        // a measurement with held samples alone has taken none.
        Sample(b, 32, 700, 4800, SampleValues::Held);
        QCOMPARE(b.chart.curves[2].size(), size_t{1});
        QCOMPARE(b.results.peakN[1], 0.0);
        QCOMPARE(b.results.peakRpm[1], 0);
        QCOMPARE(b.results.sampled, (std::array<bool, 6>{true, false, false, false, false, true}));
    }

    void chartValueInKIsHeldAt9Point9AndNIsDrawnAsItIs() {
        TestBench b;
        b.control.collecting = true;
        Sample(b, 16, 980, 0);
        Sample(b, 16, 990, 0);
        Sample(b, 16, 1000, 0);
        const auto& k = b.chart.curves[1];
        QCOMPARE(FormatFixed(k[0].second, 2, ','), QStringLiteral("9,10"));
        QCOMPARE(k[1].second, 9.9);
        QCOMPARE(k[2].second, 9.9);  // 100 %: no light passes, K over range
        QCOMPARE(b.results.peakN[0], 100.0);
        QVERIFY(std::isinf(b.results.peakK[0]));

        b.series.SetPlotsN(true);
        Sample(b, 32, 990, 0);
        QCOMPARE(b.chart.curves[2][0].second, 99.0);
    }

    void aSampleTheChartRefusesIsDroppedWhole() {
        TestBench b;
        b.control.collecting = true;
        b.chart.refuse = true;
        Sample(b, 16, 500, 4000);
        QCOMPARE(b.series.SampleIndex(), 0);
        QCOMPARE(b.results.peakN[0], 0.0);
        QCOMPARE(b.results.peakRpm[0], 0);
    }

    void nothingIsSampledBeforeTheTestReportsProgress() {
        TestBench b;
        Sample(b, 16, 500, 4000);
        b.series.AddMaxSpeedTrendPoint();
        QCOMPARE(b.series.SampleIndex(), 0);
        QVERIFY(b.chart.curves.empty());
    }

    void captionAnnouncesTheMeasurementAfterTheOldProgress() {
        TestBench b;
        b.control.collecting = true;
        Sample(b, 16, 100, 0);
        b.series.ShowMeasurementCaption(0);  // straight from 0 to 32: measurement 1
        QCOMPARE(b.chart.foot, QStringLiteral(" Коэфф.ослабления , м-1,  Измерение  №   1  "));
        QCOMPARE(b.series.SampleIndex(), 0);
        b.series.SetPlotsN(true);
        b.series.ShowMeasurementCaption(0x51);
        QCOMPARE(b.chart.foot, QStringLiteral(" Дымность ,  %,  Измерение  №   6  "));
        b.series.ShowMeasurementCaption(96);
        QCOMPARE(b.chart.foot, QStringLiteral("    Результат измерения :    "));
    }

    void resultLines() {
        QCOMPARE(FreeAccelResultLine(178, 0, ',')->text,
                 QStringLiteral(" Ср.коэфф.ослабл. K = 0,456 м-1 , Ср.дымность N = 17,8 % "));
        QCOMPARE(FreeAccelResultLine(178, 0, ',')->color, kFootGreen);
        QCOMPARE(MaxSpeedResultLine(178, 0, ',')->text,
                 QStringLiteral(" Ср.коэфф.ослабл. K = 0,456 м-1   Ср.дымность N = 17,8 % "));
        QCOMPARE(FreeAccelResultLine(178, 2, ',')->text,
                 QStringLiteral("  Результат недействителен,превышение зоны  "));
        QCOMPARE(FreeAccelResultLine(178, 2, ',')->color, kFootRed);
        QCOMPARE(MaxSpeedResultLine(178, 1, ',')->text,
                 QStringLiteral("  Результат недействителен,превышение зоны  "));
        QVERIFY(!FreeAccelResultLine(178, 3, ',').has_value());
        QVERIFY(!MaxSpeedResultLine(178, 2, ',').has_value());
        QCOMPARE(FreeAccelResultLine(1000, 0, ',')->text,
                 QStringLiteral(" Ср.коэфф.ослабл. K = >> м-1 , Ср.дымность N = 100,0 % "));
        QCOMPARE(MaxSpeedResultLine(999, 0, ',')->text,
                 QStringLiteral(" Ср.коэфф.ослабл. K = 16,065 м-1   Ср.дымность N = 99,9 % "));
    }

    void unknownValidityLeavesTheFootEmpty() {
        TestBench b;
        b.chart.SetFootText("old");
        b.series.ResultArrived(TestKind::FreeAccel, 3, 200);
        QCOMPARE(b.chart.foot, QString());
        QCOMPARE(b.results.freeAccelValidity, 3);
        QCOMPARE(b.window.chartViews, 1);
        QCOMPARE(b.window.reports, 1);
    }

    void eraseResultsZeroesEverythingAndResetsTheChart() {
        TestBench b;
        b.results.maxSpeedMeanX10 = 250;
        b.results.freeAccelValidity = 1;
        b.results.peakRpm[3] = 4000;
        b.results.sampled[3] = true;
        b.chart.AddPoint(2, 0, 1);
        b.series.EraseResults();
        QVERIFY(!b.results.sampled[3]);
        QCOMPARE(b.results.maxSpeedMeanX10, 0);
        QCOMPARE(b.results.freeAccelValidity, 0);
        QCOMPARE(b.results.peakRpm[3], 0);
        QVERIFY(b.chart.curves.empty());
        QCOMPARE(b.window.decisionResets, 1);
        QCOMPARE(b.window.headerRefreshes, 1);
        QCOMPARE(b.window.reports, 1);
        QCOMPARE(b.chart.color, kFootNavy);
    }
};

QTEST_APPLESS_MAIN(MeasurementSeriesTest)
#include "test_measurement_series.moc"
