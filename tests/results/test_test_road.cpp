// The whole road of a test, tick by tick against the simulated instrument: from
// the operator's command (or the instrument's own start) to the result line.
#include "../support/sent_replies.h"
#include "../support/test_bench.h"
#include "device/live_display.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>

using namespace kelvaron;
using kelvaron::testing::SentBy;
using kelvaron::testing::SentReplies;
using kelvaron::testing::TestBench;

namespace {

std::set<uint8_t> CodeSet(const std::vector<uint8_t>& codes) {
    return {codes.begin(), codes.end()};
}

// The readings and what the report and the chart hold are only what was sent.
void CheckOnlySent(const TestBench& b, const SentReplies& sent, const char* when) {
    const auto fail = [&](const QString& what) { QFAIL(qPrintable(what + " " + when)); };
    if (!sent.opacities.count(b.readings.opacityX10))
        fail(QString("opacity %1 never sent").arg(b.readings.opacityX10));
    if (!sent.speeds.count(b.readings.engineSpeed))
        fail(QString("speed %1 never sent").arg(b.readings.engineSpeed));
    for (size_t i = 0; i < 6; ++i) {
        if (!b.results.sampled[i]) continue;
        if (!sent.opacities.count(static_cast<int>(std::lround(b.results.peakN[i] * 10))))
            fail(QString("peak N %1 of %2 never sent").arg(b.results.peakN[i]).arg(i + 1));
        if (!sent.speeds.count(b.results.peakRpm[i]))
            fail(QString("peak speed %1 of %2 never sent").arg(b.results.peakRpm[i]).arg(i + 1));
    }
}

// Each request answered only by replies to it: the program took no more replies
// to a request than the instrument sent, and at most the last one is in flight
// beside those `spoiled` (read together with frames nobody asked for).
void CheckAnswersPaired(const TestBench& b, const SentReplies& sent, int64_t spoiled = 0) {
    int64_t sentAll = 0, takenAll = 0;
    for (uint8_t code = 1; code <= 16; ++code) {
        if (code == 14) continue;  // the identify reply names itself
        const int64_t taken = b.loop.Counts().takenByRequest[code];
        const int64_t got = sent.byRequest.count(code) ? sent.byRequest.at(code) : 0;
        QVERIFY2(
            taken <= got,
            qPrintable(
                QString("request %1: %2 replies taken, %3 sent").arg(code).arg(taken).arg(got)));
        sentAll += got;
        takenAll += taken;
    }
    QVERIFY2(sentAll - takenAll <= 1 + spoiled,
             qPrintable(QString("%1 replies sent, %2 taken").arg(sentAll).arg(takenAll)));
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

    // Replies from at once to 45 ms after their request, whole or byte by byte:
    // every test reads exactly what the instrument sent, whatever the cadence.
    void everyReplyLatencyReadsTheTestExactly_data() {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("freeAccel");
        QTest::addColumn<bool>("shortResults");
        for (int ms : {0, 10, 19, 21, 25, 30, 38, 45})
            for (bool whole : {false, true})
                for (bool free : {true, false})
                    for (bool shortForm : {false, true})
                        QTest::addRow("%d ms %s %s %s", ms, whole ? "whole" : "bytes",
                                      free ? "free" : "max", shortForm ? "short" : "full")
                            << ms << whole << free << shortForm;
    }
    void everyReplyLatencyReadsTheTestExactly() {
        QFETCH(int, latencyMs);
        QFETCH(bool, whole);
        QFETCH(bool, freeAccel);
        QFETCH(bool, shortResults);
        TestBench b;
        sim::Opacimeter instrument(sim::Options{.shortResultsOnly = shortResults,
                                                .replyLatencyUs = latencyMs * 1000,
                                                .wholeReplies = whole});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        if (freeAccel)
            b.series.StartFreeAccelTest();
        else
            b.series.StartMaxSpeedTest();
        QVERIFY(
            b.RunUntilState(freeAccel ? PollState::FreeAccelTest : PollState::MaxSpeedTest, 100));
        QVERIFY(b.RunUntilState(PollState::Polling, 3000));
        const SentReplies sent = SentBy(instrument);
        CheckOnlySent(b, sent, "after the test");
        CheckAnswersPaired(b, sent);
        QCOMPARE(b.loop.Counts().requestsGivenUp, int64_t{0});
        QCOMPARE(freeAccel ? b.results.freeAccelMeanX10 : b.results.maxSpeedMeanX10, sent.meanX10);
        QCOMPARE(freeAccel ? b.results.freeAccelValidity : b.results.maxSpeedValidity,
                 sent.validity);
        if (freeAccel) {
            for (size_t i = 0; i < 6; ++i) {
                QVERIFY(b.results.sampled[i]);
                QCOMPARE(b.results.peakN[i], sent.peakX10[i] / 10.0);
                QCOMPARE(b.results.peakRpm[i], sent.peakRpm[i]);
            }
        }
    }

    // A fault switched on in the middle of each test: nothing shown, sampled or
    // reported that the instrument did not send as the answer to its request; a
    // line that answers nothing valid (silent, hung up, echoing, noise) is lost.
    void aFaultInTheMiddleOfATestNeverShowsAValueNotSent_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("freeAccel");
        for (sim::Fault f :
             {sim::Fault::Noise, sim::Fault::BadCheck, sim::Fault::Split, sim::Fault::Slow,
              sim::Fault::Burst, sim::Fault::Late, sim::Fault::StaleStatus, sim::Fault::Echo,
              sim::Fault::Garbage, sim::Fault::Silence, sim::Fault::HangUp})
            for (bool free : {true, false})
                QTest::addRow("%s %s", sim::FaultName(f), free ? "free" : "max") << int(f) << free;
    }
    void aFaultInTheMiddleOfATestNeverShowsAValueNotSent() {
        QFETCH(int, fault);
        QFETCH(bool, freeAccel);
        const auto f = static_cast<sim::Fault>(fault);
        const int64_t faultUs = freeAccel ? 8'000'000 : 3'500'000;
        TestBench b;
        sim::Opacimeter instrument(sim::Options{.fault = f, .faultStartUs = faultUs, .seed = 5});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        if (freeAccel)
            b.series.StartFreeAccelTest();
        else
            b.series.StartMaxSpeedTest();
        int64_t lostUs = -1;
        int resultAt = -1;
        for (int tick = 0; tick < 2000 && lostUs < 0; ++tick) {
            b.RunTicks(1);
            CheckOnlySent(b, SentBy(instrument), "on a tick");
            if (b.control.linkLost) lostUs = b.clock.nowUs;
            if (resultAt < 0 && b.control.state == PollState::Polling &&
                (freeAccel ? b.results.freeAccelMeanX10 : b.results.maxSpeedMeanX10) != 0)
                resultAt = b.ticks;
            if (resultAt >= 0 && b.ticks > resultAt + 150) break;  // 3 s of polling after it
        }
        const SentReplies sent = SentBy(instrument);
        // A burst spoils at most the reply read with it and the one of the
        // exchange it was read in.
        CheckAnswersPaired(b, sent, 2 * sent.bursts);
        const bool deadLine = f == sim::Fault::Echo || f == sim::Fault::Garbage ||
                              f == sim::Fault::Silence || f == sim::Fault::HangUp;
        if (deadLine) {
            QVERIFY2(lostUs > faultUs && lostUs <= faultUs + 21 * 20'000,
                     qPrintable(QString("lost at %1 us").arg(lostUs)));
            return;
        }
        QCOMPARE(lostUs, int64_t{-1});
        QVERIFY(resultAt >= 0);
        QCOMPARE(freeAccel ? b.results.freeAccelMeanX10 : b.results.maxSpeedMeanX10, sent.meanX10);
        if (freeAccel && f != sim::Fault::Burst) {
            // Every intact reply was taken: the peaks are the instrument's own.
            for (size_t i = 0; i < 6; ++i) {
                QVERIFY(b.results.sampled[i]);
                QCOMPARE(b.results.peakN[i], sent.peakX10[i] / 10.0);
                QCOMPARE(b.results.peakRpm[i], sent.peakRpm[i]);
            }
        }
        // The status that ended the test, still "measuring", started no new one.
        const auto codes = b.CodesSince(0);
        QCOMPARE(std::count(codes.begin(), codes.end(), static_cast<uint8_t>(freeAccel ? 2 : 3)),
                 1);
        QCOMPARE(b.control.state, PollState::Polling);
    }

    // The link lost in the middle of a test and found again by a new search (the
    // adapter back as COM2): the instrument still reports its test, which is not
    // taken for a new one.
    void aNewSearchAfterALossMidTestKeepsThatTestAndStartsNone_data() {
        QTest::addColumn<bool>("freeAccel");
        QTest::newRow("free") << true;
        QTest::newRow("max") << false;
    }
    void aNewSearchAfterALossMidTestKeepsThatTestAndStartsNone() {
        QFETCH(bool, freeAccel);
        const int64_t faultUs = freeAccel ? 8'000'000 : 2'000'000;
        TestBench b;
        sim::Opacimeter instrument(sim::Options{.fault = sim::Fault::Silence,
                                                .faultStartUs = faultUs,
                                                .faultEndUs = faultUs + 1'000'000});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        if (freeAccel)
            b.series.StartFreeAccelTest();
        else
            b.series.StartMaxSpeedTest();
        QVERIFY(b.RunTicksUntil([&] { return b.control.linkLost; }, 1000));
        const TestResults atLoss = b.results;
        const int clears = b.chart.clears, views = b.window.chartViews;
        const size_t sentAtLoss = b.port.SentFrames().size();
        b.RunUntil(faultUs + 1'000'000);
        b.port.AddInstrument(2, instrument);
        b.loop.StartSearch(0);  // "Связь"
        QVERIFY(b.RunUntilState(PollState::Polling, 100));
        QCOMPARE(instrument.State(b.clock.nowUs), uint8_t{2});  // still in its test
        b.RunMs(3000);
        QCOMPARE(CodeSet(b.CodesSince(sentAtLoss)), (std::set<uint8_t>{10, 11, 14}));
        QCOMPARE(b.results.peakN, atLoss.peakN);
        QCOMPARE(b.results.peakRpm, atLoss.peakRpm);
        QCOMPARE(b.results.sampled, atLoss.sampled);
        QCOMPARE(b.results.freeAccelMeanX10, atLoss.freeAccelMeanX10);
        QCOMPARE(b.results.maxSpeedMeanX10, atLoss.maxSpeedMeanX10);
        QCOMPARE(b.chart.clears, clears);
        QCOMPARE(b.window.chartViews, views);
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
