// The simulated instrument answers as the protocol says, follows its test scripts
// and injects the faults it names.
#include "device/protokol.h"
#include "device/serial_link.h"
#include "simulator/opacimeter.h"

#include <QTest>

#include <vector>

using namespace kelvaron;
using sim::Opacimeter;

namespace {

std::vector<FrameData> Ask(Opacimeter& instrument, uint8_t code, int64_t nowUs,
                           int64_t waitUs = 50'000) {
    const uint8_t frame[4] = {0xAA, code, 0xA5, static_cast<uint8_t>(0xAA ^ code ^ 0xA5)};
    instrument.Receive(frame, 4, nowUs);
    TProtokol scan;
    for (uint8_t b : instrument.TakeDue(nowUs + waitUs)) scan.Push(b);
    std::vector<FrameData> frames;
    FrameData d{};
    while (scan.NextFrame(d)) frames.push_back(d);
    return frames;
}

}  // namespace

class OpacimeterTest : public QObject {
    Q_OBJECT

private slots:
    void identifiesItselfWithItsDesignationAndFirmware() {
        Opacimeter instrument(
            sim::Options{.designationHigh = 7, .designationLow = 2, .firmware = 0x35});
        const auto frames = Ask(instrument, 14, 0);
        QCOMPARE(frames.size(), size_t{1});
        QCOMPARE(frames[0], (FrameData{0, 0x44, 7, 2, 0x35}));
    }

    void repliesArriveAfterTheLatencyNotBefore() {
        Opacimeter instrument;
        const uint8_t status[4] = {0xAA, 10, 0xA5, 10 ^ 0x0F};
        instrument.Receive(status, 4, 0);
        QVERIFY(instrument.TakeDue(5'000).size() < 8);
        instrument.TakeDue(20'000);
        QCOMPARE(instrument.NextDueUs(), int64_t{-1});
    }

    void freeAccelerationScriptRunsSixAccelerations() {
        Opacimeter instrument;
        Ask(instrument, 2, 0);
        std::vector<int> progress;
        int peakRpm = 0, peakN = 0;
        for (int64_t t = 0; t < 30'000'000; t += 20'000) {
            const int p = instrument.Progress(t);
            if (progress.empty() || progress.back() != p) progress.push_back(p);
            if (p == 16) {
                peakRpm = std::max(peakRpm, instrument.EngineSpeed(t));
                peakN = std::max(peakN, instrument.OpacityX10(t));
            }
        }
        QCOMPARE(progress, (std::vector<int>{0, 16, 17, 32, 33, 48, 49, 64, 65, 80, 81, 96, 0x70}));
        QVERIFY(peakRpm > 4000);
        QVERIFY(peakN > 400);
        QCOMPARE(instrument.State(30'000'000), uint8_t{1});
        // The full result: validity 0 and the mean of the last four accelerations.
        const auto result = Ask(instrument, 15, 30'000'000);
        QCOMPARE(result.size(), size_t{1});
        QCOMPARE(result[0][0], uint8_t{0});
        QCOMPARE(result[0][1], uint8_t{0});
        const int mean = result[0][2] + 16 * result[0][3] + 256 * result[0][4];
        QCOMPARE(mean, (447 + 438 + 441 + 436 + 2) / 4);
    }

    void maxSpeedTestRunsProgressTo100() {
        Opacimeter instrument;
        Ask(instrument, 3, 0);
        QCOMPARE(instrument.Mode(1'000'000), uint8_t{3});
        QCOMPARE(instrument.Progress(Opacimeter::kMaxSpeedUs / 2), uint8_t{50});
        QCOMPARE(instrument.Progress(Opacimeter::kMaxSpeedUs), uint8_t{100});
        QCOMPARE(instrument.Mode(Opacimeter::kMaxSpeedUs), uint8_t{0});
    }

    void startsATestByItself() {
        Opacimeter instrument(
            sim::Options{.selfStart = sim::TestKind::MaxSpeed, .selfStartUs = 2'000'000});
        QCOMPARE(instrument.State(1'000'000), uint8_t{1});
        QCOMPARE(instrument.State(2'000'000), uint8_t{2});
        QCOMPARE(instrument.Mode(2'000'000), uint8_t{3});
    }

    void startsItsOwnTestWhenAskedButNotOverARunningOne() {
        Opacimeter instrument;
        instrument.StartOwnTest(sim::TestKind::FreeAccel, 1'000'000);
        QCOMPARE(instrument.Mode(1'000'000), uint8_t{2});
        instrument.StartOwnTest(sim::TestKind::MaxSpeed, 2'000'000);  // ignored
        QCOMPARE(instrument.Mode(2'000'000), uint8_t{2});
    }

    void shortResultsOnlyAnswersTheFullRequestWithD1Three() {
        Opacimeter instrument(sim::Options{.shortResultsOnly = true});
        QCOMPARE(Ask(instrument, 16, 0)[0][0], uint8_t{3});
        QCOMPARE(Ask(instrument, 13, 100'000)[0][0], uint8_t{0});
    }

    void badCheckFaultSpoilsEveryThirdReply() {
        Opacimeter instrument(sim::Options{.fault = sim::Fault::BadCheck});
        int good = 0;
        for (int i = 0; i < 9; ++i)
            good += static_cast<int>(Ask(instrument, 10, i * 100'000).size());
        QCOMPARE(good, 6);
    }

    void splitFaultDeliversTheReplyInTwoParts() {
        Opacimeter instrument(sim::Options{.fault = sim::Fault::Split});
        const uint8_t status[4] = {0xAA, 10, 0xA5, 10 ^ 0x0F};
        instrument.Receive(status, 4, 0);
        QCOMPARE(instrument.TakeDue(15'000).size(), size_t{5});
        QCOMPARE(instrument.TakeDue(40'000).size(), size_t{3});
    }

    void silenceAndHangUpStartWhenAsked() {
        Opacimeter silent(sim::Options{.fault = sim::Fault::Silence, .faultStartUs = 1'000'000});
        QCOMPARE(Ask(silent, 10, 0).size(), size_t{1});
        QCOMPARE(Ask(silent, 10, 1'000'000).size(), size_t{0});
        Opacimeter line(sim::Options{.fault = sim::Fault::HangUp, .faultStartUs = 1'000'000});
        QVERIFY(!line.HungUp(999'999));
        QVERIFY(line.HungUp(1'000'000));
    }

    void lateEchoGarbageAndStaleStatusPlayTheirLines() {
        // Late: each reply after 20 ms (the next tick) and within 45 ms.
        Opacimeter late(sim::Options{.wholeReplies = true, .fault = sim::Fault::Late});
        for (int i = 0; i < 20; ++i) {
            QVERIFY(Ask(late, 10, i * 100'000, 19'999).empty());
            QCOMPARE(late.TakeDue(i * 100'000 + 45'000).size(), size_t{8});
        }
        // Echo: the request itself comes back; garbage: bytes that form no frame.
        Opacimeter echo(sim::Options{.fault = sim::Fault::Echo});
        echo.Receive(CommandFrame(11).data(), 4, 0);
        QCOMPARE(echo.TakeDue(50'000), (std::vector<uint8_t>{0xAA, 11, 0xA5, 11 ^ 0x0F}));
        Opacimeter garbage(sim::Options{.fault = sim::Fault::Garbage});
        QVERIFY(Ask(garbage, 10, 0).empty() && garbage.Replies().empty());
        // Stale status: once after the test, "measuring" with the last progress.
        Opacimeter stale(sim::Options{.fault = sim::Fault::StaleStatus});
        Ask(stale, 3, 0);
        QCOMPARE(Ask(stale, 10, Opacimeter::kMaxSpeedUs)[0], (FrameData{2, 3, 100, 0, 0}));
        QCOMPARE(Ask(stale, 10, Opacimeter::kMaxSpeedUs + 1)[0], (FrameData{1, 0, 100, 0, 0}));
        // A fault with an end lasts until then.
        Opacimeter silent(sim::Options{
            .fault = sim::Fault::Silence, .faultStartUs = 1'000'000, .faultEndUs = 2'000'000});
        QVERIFY(Ask(silent, 10, 1'500'000).empty());
        QCOMPARE(Ask(silent, 10, 2'000'000).size(), size_t{1});
    }

    void noiseNeverHidesAReply() {
        Opacimeter instrument(sim::Options{.fault = sim::Fault::Noise, .seed = 7});
        int good = 0;
        TProtokol scan;
        for (int i = 0; i < 200; ++i) {
            const uint8_t status[4] = {0xAA, 10, 0xA5, 10 ^ 0x0F};
            instrument.Receive(status, 4, i * 50'000);
            for (uint8_t b : instrument.TakeDue(i * 50'000 + 40'000)) QVERIFY(scan.Push(b));
            FrameData d{};
            while (scan.NextFrame(d)) ++good;
        }
        QCOMPARE(good, 200);
    }
};

QTEST_APPLESS_MAIN(OpacimeterTest)
#include "test_opacimeter.moc"
