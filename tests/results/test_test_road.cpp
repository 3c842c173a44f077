// The whole road of a test, tick by tick against the simulated instrument: from
// the operator's command (or the instrument's own start) to the result line.
#include "../support/test_bench.h"
#include "device/live_display.h"

#include <QTest>

#include <algorithm>
#include <set>

using namespace kelvaron;
using kelvaron::testing::TestBench;

namespace {

std::set<uint8_t> CodeSet(const std::vector<uint8_t>& codes) {
    return {codes.begin(), codes.end()};
}

}  // namespace

class TestRoadTest : public QObject {
    Q_OBJECT

private slots:
    void freeAccelerationFromTheButtonToTheGreenResultLine() {
        TestBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        const size_t from = b.port.SentFrames().size();
        b.series.StartFreeAccelTest();
        QCOMPARE(b.control.pendingRequest, 2);
        QCOMPARE(b.window.chartViews, 1);
        QCOMPARE(b.chart.foot, QStringLiteral("  Коэффициент ослабления  ,  м-1   "));
        QCOMPARE(b.chart.color, kFootNavy);

        // Request 2 leaves at phase 9, the ninth tick after a status request.
        QVERIFY(b.RunTicksUntil([&] { return b.control.startAwaited; }, 20));
        const auto& sent = b.port.SentFrames();
        QCOMPARE(sent.back().code, uint8_t{2});
        const auto status =
            std::find_if(sent.rbegin() + 1, sent.rend(), [](auto& f) { return f.code == 10; });
        QCOMPARE(sent.back().timeUs - status->timeUs, int64_t{9 * 20'000});

        QVERIFY(b.RunUntilState(PollState::ResultDelay, 3000));
        const int64_t endUs = b.clock.nowUs;
        QVERIFY(b.RunUntilState(PollState::Polling, 50));
        const auto firstResult = std::find_if(sent.begin() + static_cast<std::ptrdiff_t>(from),
                                              sent.end(), [](auto& f) { return f.code == 15; });
        QCOMPARE(firstResult->timeUs - endUs, int64_t{5 * 20'000});
        QCOMPARE(CodeSet(b.CodesSince(from)), (std::set<uint8_t>{2, 7, 10, 11, 15}));

        // The instrument's mean of the last four accelerations, and the green line.
        QCOMPARE(b.results.freeAccelMeanX10, (447 + 438 + 441 + 436 + 2) / 4);
        QCOMPARE(b.results.freeAccelValidity, 0);
        QCOMPARE(b.chart.foot, FreeAccelResultLine(441, 0, ',')->text);
        QCOMPARE(b.chart.color, kFootGreen);
        QVERIFY(b.window.reports >= 2);

        // Captions at each rise of the progress, then the result caption.
        QStringList captions;
        for (const QString& f : b.chart.feet)
            if (f.contains(QStringLiteral("Измерение")) ||
                f.contains(QStringLiteral("Результат измерения")))
                captions << f.trimmed().right(1);
        QCOMPARE(captions,
                 (QStringList{"1", "2", "2", "3", "3", "4", "4", "5", "5", "6", "6", ":"}));

        // Six curves, each from the left edge, and six peaks near the script's.
        const std::array<int, 6> peaks = {452, 431, 447, 438, 441, 436};
        for (int m = 1; m <= 6; ++m) {
            const auto& curve = b.chart.curves[m];
            QVERIFY2(curve.size() > 20,
                     qPrintable(QString("curve %1: %2 points").arg(m).arg(curve.size())));
            QCOMPARE(curve.front().first, 0.0);
            const size_t i = static_cast<size_t>(m - 1);
            QVERIFY(b.results.peakN[i] <= peaks[i] / 10.0 &&
                    b.results.peakN[i] > peaks[i] / 10.0 - 1.0);
            QCOMPARE(b.results.peakK[i], OpacityToK(b.results.peakN[i]));
            QVERIFY(b.results.peakRpm[i] > 4400);
        }
    }

    void maxSpeedTestKeepsTheFreeAccelerationPeaksAndDrawsOnCurve1() {
        TestBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        b.results.peakN[2] = 33.3;
        b.results.freeAccelMeanX10 = 178;
        b.series.StartMaxSpeedTest();
        QCOMPARE(b.control.pendingRequest, 3);
        QVERIFY(b.RunTicksUntil([&] { return b.results.maxSpeedMeanX10 != 0; }, 1500));
        QCOMPARE(b.results.maxSpeedMeanX10, 250);
        QCOMPARE(b.chart.foot, MaxSpeedResultLine(250, 0, ',')->text);
        QCOMPARE(b.results.peakN[2], 33.3);
        QCOMPARE(b.results.freeAccelMeanX10, 178);
        QCOMPARE(b.chart.curves.size(), size_t{1});
        QVERIFY(b.chart.curves[1].size() > 100);
        QCOMPARE(b.CodesSince(b.port.SentFrames().size() - 2), (std::vector<uint8_t>{16, 10}));
    }

    void invalidResultsShowTheRedLines() {
        TestBench b;
        sim::Opacimeter instrument(sim::Options{.outcome = sim::Outcome::Decreasing});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        b.series.StartFreeAccelTest();
        QVERIFY(b.RunTicksUntil([&] { return b.results.freeAccelValidity != 0; }, 3000));
        QCOMPARE(b.results.freeAccelValidity, 1);
        QCOMPARE(b.chart.foot,
                 QStringLiteral("  Результат недействителен,убывающая последовательность  "));
        QCOMPARE(b.chart.color, kFootRed);
    }

    void commandAcceptedDuringATestWaitsForTheFirstPollingCycleAfterTheResult() {
        TestBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        b.series.StartMaxSpeedTest();
        QVERIFY(b.RunUntilState(PollState::MaxSpeedTest, 30));
        b.RunTicks(10);
        b.readings.deviceState = 1;  // an instrument that reports itself ready during the test
        b.loop.ZeroCommand();
        QCOMPARE(b.control.pendingRequest, 1);
        const size_t from = b.port.SentFrames().size();
        QVERIFY(b.RunUntilState(PollState::Polling, 1500));
        auto codes = b.CodesSince(from);
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t{1}), 0);
        const size_t afterResult = b.port.SentFrames().size();
        b.RunTicks(9);  // phases 1..9 of the first polling cycle (phase 0 ran with the result)
        codes = b.CodesSince(afterResult);
        QCOMPARE(codes.back(), uint8_t{1});
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t{1}), 1);
    }

    void testStartedByTheInstrumentSwitchesToTheChartAndIsFollowed() {
        TestBench b;
        sim::Opacimeter instrument(
            sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 1'000'000});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.results.peakRpm[0] = 9999;
        const size_t from = b.port.SentFrames().size();
        QVERIFY(b.RunTicksUntil([&] { return b.window.chartViews > 0; }, 100));
        QCOMPARE(b.control.pendingRequest, 2);
        QCOMPARE(b.results.peakRpm[0], 0);  // the peaks were cleared
        QVERIFY(b.RunUntilState(PollState::FreeAccelTest, 20));
        QVERIFY(b.RunTicksUntil([&] { return b.results.freeAccelMeanX10 != 0; }, 3000));
        QCOMPARE(b.chart.color, kFootGreen);
        // Exactly the requests of the protocol, with one start command.
        const auto codes = b.CodesSince(from);
        QCOMPARE(CodeSet(codes), (std::set<uint8_t>{2, 7, 10, 11, 15}));
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t{2}), 1);
    }

    void startRefusedAtTheGateChangesNothing() {
        TestBench b;
        b.results.peakN[0] = 12.5;
        b.series.StartFreeAccelTest();
        QCOMPARE(b.host.notices, QStringList{"Связь не установлена"});
        QCOMPARE(b.results.peakN[0], 12.5);
        QCOMPARE(b.chart.clears, 0);
        QCOMPARE(b.window.chartViews, 0);
        QCOMPARE(b.control.pendingRequest, 0);
        // A recording the operator keeps stops the command before the gate.
        b.window.keepRecording = true;
        b.series.StartMaxSpeedTest();
        QCOMPARE(b.host.notices.size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestRoadTest)
#include "test_test_road.moc"
