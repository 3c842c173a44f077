// The whole road of a test, tick by tick against the simulated instrument: from
// the operator's command (or the instrument's own start) to the result line.
#include "base/quantities.h"
#include "testing/sent_replies.h"
#include "testing/test_bench.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>

using namespace kelvaron;
using kelvaron::testing::DigestOfFirstReplies;
using kelvaron::testing::RepliesToRequests;
using kelvaron::testing::SentBy;
using kelvaron::testing::SentReplies;
using kelvaron::testing::TestBench;

namespace {

std::set<uint8_t> CodeSet(const std::vector<uint8_t>& codes) {
    return {codes.begin(), codes.end()};
}

// Whether the readings and the peaks are all values the instrument sent.
bool OnlySent(const TestBench& b, const SentReplies& sent) {
    bool only =
        sent.opacities.count(b.readings.opacityX10) && sent.speeds.count(b.readings.engineSpeed);
    for (size_t i = 0; i < 6; ++i)
        only = only &&
               (!b.results.sampled[i] ||
                (sent.opacities.count(static_cast<int>(std::lround(b.results.peakN[i] * 10))) &&
                 sent.speeds.count(b.results.peakRpm[i])));
    return only;
}

// Each request answered only by its own reply: the requests the program read
// answers to, with those answers, are the instrument's replies in the order it
// sent them, but for the last, which may be in flight. Where frames nobody asked
// for spoiled exchanges, up to `spoiled` replies may be missing instead.
void CheckAnswersPaired(const TestBench& b, const sim::Opacimeter& instrument,
                        int64_t spoiled = 0) {
    const ExchangeCounts& got = b.loop.Counts();
    const int64_t missing = RepliesToRequests(SentBy(instrument)) - got.repliesTaken;
    QVERIFY2(missing >= 0 && missing <= 1 + spoiled, qPrintable(QString::number(missing)));
    if (spoiled == 0)
        QVERIFY(got.answerDigest == DigestOfFirstReplies(instrument, got.repliesTaken));
}

// The result, and the six peaks of a free-acceleration test, as the instrument sent them.
void CheckResultAsSent(const TestBench& b, const SentReplies& sent, bool freeAccel, bool peaks) {
    const TestResults& r = b.results;
    QCOMPARE(freeAccel ? r.freeAccelMeanX10 : r.maxSpeedMeanX10, sent.meanX10);
    QCOMPARE(freeAccel ? r.freeAccelValidity : r.maxSpeedValidity, sent.validity);
    for (size_t i = 0; freeAccel && peaks && i < 6; ++i) {
        QVERIFY(r.sampled[i]);
        QCOMPARE(r.peakN[i], sent.peakX10[i] / 10.0);
        QCOMPARE(r.peakRpm[i], sent.peakRpm[i]);
    }
}

// Identifies the instrument on COM1 and starts a test from its button.
bool StartTest(TestBench& b, sim::Opacimeter& instrument, bool freeAccel) {
    if (!b.IdentifyOnCom1(instrument)) return false;
    b.RunTicks(3);
    freeAccel ? b.series.StartFreeAccelTest() : b.series.StartMaxSpeedTest();
    return b.RunUntilState(freeAccel ? PollState::FreeAccelTest : PollState::MaxSpeedTest, 100);
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
        QCOMPARE(b.control.pendingRequest, PendingRequest::FreeAccel);
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
        QCOMPARE(b.control.pendingRequest, PendingRequest::MaxSpeed);
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
        QCOMPARE(b.control.pendingRequest, PendingRequest::Zero);
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
        QCOMPARE(b.control.pendingRequest, PendingRequest::FreeAccel);
        QCOMPARE(b.results.peakRpm[0], 0);  // the peaks were cleared
        QVERIFY(b.RunUntilState(PollState::FreeAccelTest, 20));
        QVERIFY(b.RunTicksUntil([&] { return b.results.freeAccelMeanX10 != 0; }, 3000));
        QCOMPARE(b.chart.color, kFootGreen);
        // Exactly the requests of the protocol, with one start command.
        const auto codes = b.CodesSince(from);
        QCOMPARE(CodeSet(codes), (std::set<uint8_t>{2, 7, 10, 11, 15}));
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t{2}), 1);
        // The report composed once at the start and once at the result, not at
        // each refresh of the polling cycle that saw the start.
        QCOMPARE(b.window.reports, 2);
        QCOMPARE(b.window.chartViews, 2);
    }

    // Replies from at once to 45 ms after their request, whole or byte by byte:
    // every test reads exactly what the instrument sent, whatever the cadence.
    void everyReplyLatencyReadsTheTestExactly_data() {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("freeAccel");
        QTest::addColumn<bool>("shortResults");
        for (int ms : {0, 10, 19, 21, 25, 30, 38, 45})
            for (int i = 0; i < 8; ++i)
                QTest::addRow("%d ms %s %s %s", ms, i & 1 ? "whole" : "bytes",
                              i & 2 ? "free" : "max", i & 4 ? "short" : "full")
                    << ms << bool(i & 1) << bool(i & 2) << bool(i & 4);
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
        QVERIFY(StartTest(b, instrument, freeAccel));
        QVERIFY(b.RunUntilState(PollState::Polling, 3000));
        CheckAnswersPaired(b, instrument);
        CheckResultAsSent(b, SentBy(instrument), freeAccel, true);
        QCOMPARE(b.loop.Counts().requestsGivenUp, int64_t{0});
    }

    // A fault switched on in the middle of each test: nothing shown, sampled or
    // reported that the instrument did not send as the answer to its request, and
    // no test started by the status that ends this one ("stale-status"); a line
    // that answers nothing valid (silent, hung up, echoing, noise) is lost.
    void aFaultInTheMiddleOfATestNeverShowsAValueNotSent_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("freeAccel");
        for (int f = int(sim::Fault::Noise); f <= int(sim::Fault::Garbage); ++f)
            for (bool free : {true, false})
                QTest::addRow("%s %s", sim::FaultName(sim::Fault(f)), free ? "free" : "max")
                    << f << free;
    }
    void aFaultInTheMiddleOfATestNeverShowsAValueNotSent() {
        QFETCH(int, fault);
        QFETCH(bool, freeAccel);
        const auto f = static_cast<sim::Fault>(fault);
        const int64_t faultUs = freeAccel ? 8'000'000 : 3'500'000;
        TestBench b;
        sim::Opacimeter instrument(sim::Options{.fault = f, .faultStartUs = faultUs, .seed = 5});
        QVERIFY(StartTest(b, instrument, freeAccel));
        int resultAt = -1;
        for (int tick = 0; tick < 2000 && !b.control.linkLost; ++tick) {
            b.RunTicks(1);
            QVERIFY2(OnlySent(b, SentBy(instrument)), qPrintable(QString("tick %1").arg(b.ticks)));
            if (resultAt < 0 && b.control.state == PollState::Polling) resultAt = b.ticks;
            if (resultAt >= 0 && b.ticks > resultAt + 150) break;  // 3 s of polling after it
        }
        const SentReplies sent = SentBy(instrument);
        // A burst spoils the reply read with it and the one of the exchange it falls in.
        CheckAnswersPaired(b, instrument, 2 * sent.bursts);
        if (f == sim::Fault::Echo || f == sim::Fault::Garbage || f == sim::Fault::Silence ||
            f == sim::Fault::HangUp) {
            QVERIFY(b.control.linkLost);
            QVERIFY2(b.clock.nowUs <= faultUs + 21 * 20'000,
                     qPrintable(QString::number(b.clock.nowUs)));
            return;
        }
        QVERIFY(!b.control.linkLost && resultAt >= 0);
        CheckResultAsSent(b, sent, freeAccel, f != sim::Fault::Burst);
        const auto codes = b.CodesSince(0);
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t(freeAccel ? 2 : 3)), 1);
    }

    // The link lost in the middle of a test and found again by a new search (the
    // adapter back as COM2) while the instrument still runs that test: it is not
    // taken for a new one, and what it measured stays.
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
        QVERIFY(StartTest(b, instrument, freeAccel));
        QVERIFY(b.RunTicksUntil([&] { return b.control.linkLost; }, 1000));
        const TestResults atLoss = b.results;
        const int clears = b.chart.clears;
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
        QCOMPARE(b.chart.clears, clears);
    }

    void startRefusedAtTheGateChangesNothing() {
        TestBench b;
        b.results.peakN[0] = 12.5;
        b.series.StartFreeAccelTest();
        QCOMPARE(b.messages.notices, QStringList{"Связь не установлена"});
        QCOMPARE(b.results.peakN[0], 12.5);
        QCOMPARE(b.chart.clears, 0);
        QCOMPARE(b.window.chartViews, 0);
        QCOMPARE(b.control.pendingRequest, PendingRequest::None);
    }
};

QTEST_APPLESS_MAIN(TestRoadTest)
#include "test_test_road.moc"
