// The test states of the poll loop tick by tick: commands through the gate, the
// start of a test, the silence inside it, and the fetching of its result.
#include "device/protokol.h"
#include "testing/poll_bench.h"

#include <QTest>

#include <algorithm>

using namespace kelvaron;
using kelvaron::testing::PollBench;

Q_DECLARE_METATYPE(kelvaron::PendingRequest)

namespace {

// Starts a test the way the operator's command does, once the instrument is ready.
void Start(PollBench& b, PendingRequest request) {
    for (int i = 0; i < 20 && b.readings.deviceState != 1; ++i) b.RunTicks(1);
    QVERIFY(b.loop.PassCommandGate());
    b.loop.SetPendingRequest(request);
}

}  // namespace

class TestStatesTest : public QObject {
    Q_OBJECT

private slots:
    void gateRefusesWithoutLinkOrWhileTheInstrumentIsNotReady() {
        PollBench b;
        sim::Opacimeter instrument;
        b.port.AddInstrument(1, instrument);
        b.loop.ZeroCommand();
        QCOMPARE(b.messages.notices, QStringList{"Связь не установлена"});
        QVERIFY(b.Identify());
        b.RunTicks(3);
        b.readings.deviceState = 4;
        b.loop.ZeroCommand();
        QCOMPARE(b.messages.notices.last(), QStringLiteral("Идет настройка прибора"));
        QCOMPARE(b.control.pendingRequest, PendingRequest::None);
        b.control.linkLost = true;
        b.loop.ZeroCommand();
        QCOMPARE(b.messages.notices.last(), QStringLiteral("Связь не установлена"));
        QCOMPARE(b.control.pendingRequest, PendingRequest::None);
    }

    void zeroPressedTwiceInOneCycleSendsRequest1Once() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunTicks(3);
        const size_t from = b.port.SentFrames().size();
        b.loop.ZeroCommand();
        b.RunTicks(2);
        b.loop.ZeroCommand();
        b.RunTicks(20);
        const auto codes = b.CodesSince(from);
        QCOMPARE(std::count(codes.begin(), codes.end(), uint8_t{1}), 1);
        // The instrument's own status then shows the zero setting on the mode line.
        QCOMPARE(b.host.statusLine, QStringLiteral("Установка нуля"));
    }

    void startRequestLeavesAtPhase9AndTheNextStatusEntersTheTest() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, PendingRequest::MaxSpeed);
        while (b.control.phase != 9) b.RunTicks(1);
        const size_t from = b.port.SentFrames().size();
        b.RunTicks(1);
        QCOMPARE(b.CodesSince(from), std::vector<uint8_t>{3});
        QVERIFY(b.control.startAwaited);
        QCOMPARE(b.control.pendingRequest, PendingRequest::MaxSpeed);
        b.RunTicks(2);  // status request, then its reply
        QCOMPARE(b.control.state, PollState::MaxSpeedTest);
        QCOMPARE(b.control.pendingRequest, PendingRequest::None);
        QVERIFY(!b.control.startAwaited);
        // In the test: status and opacity in turn.
        const size_t inTest = b.port.SentFrames().size();
        b.RunTicks(6);
        QCOMPARE(b.CodesSince(inTest), (std::vector<uint8_t>{11, 10, 11, 10, 11, 10}));
    }

    void maxSpeedProgress99GoesOnAnd100EndsIt() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, PendingRequest::MaxSpeed);
        QVERIFY(b.RunUntilState(PollState::MaxSpeedTest, 30));
        while (b.readings.progress < 99) b.RunTicks(1);
        QCOMPARE(b.readings.progress, uint8_t{99});
        QCOMPARE(b.control.state, PollState::MaxSpeedTest);
        QVERIFY(b.RunUntilState(PollState::ResultDelay, 100));
        QCOMPARE(b.readings.progress, uint8_t{100});
        QCOMPARE(b.control.finishedKind, TestKind::MaxSpeed);
        QVERIFY(!b.control.collecting);
    }

    void firstResultRequestLeavesFiveTicksAfterTheEnd() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, PendingRequest::MaxSpeed);
        QVERIFY(b.RunUntilState(PollState::ResultDelay, 1000));
        const size_t from = b.port.SentFrames().size();
        const int64_t endUs = b.clock.nowUs;
        b.RunTicks(4);
        QVERIFY(b.CodesSince(from).empty());  // nothing is asked while the result is prepared
        b.RunTicks(1);
        QCOMPARE(b.CodesSince(from), std::vector<uint8_t>{16});
        QCOMPARE(b.port.SentFrames().back().timeUs - endUs, int64_t{5 * 20'000});
        b.RunTicks(1);  // the reply: back to polling, with a status request at once
        QCOMPARE(b.control.state, PollState::Polling);
        QCOMPARE(b.CodesSince(from), (std::vector<uint8_t>{16, 10}));
    }

    void instrumentWithoutFullResultsIsAskedTheShortFormFromTheNextTickOn() {
        PollBench b;
        sim::Opacimeter instrument(sim::Options{.shortResultsOnly = true});
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, PendingRequest::FreeAccel);
        QVERIFY(b.RunUntilState(PollState::ResultRequest, 2000));
        const size_t from = b.port.SentFrames().size() - 1;
        QVERIFY(b.RunUntilState(PollState::Polling, 10));
        QCOMPARE(b.CodesSince(from), (std::vector<uint8_t>{15, 12, 10}));
        QVERIFY(b.control.shortResults);
        // For the rest of the run the short form is asked at once.
        Start(b, PendingRequest::MaxSpeed);
        QVERIFY(b.RunUntilState(PollState::ResultRequest, 2000));
        QCOMPARE(b.port.SentFrames().back().code, uint8_t{13});
    }

    void freeAccelCyclesStatusOpacitySpeedAndProgress96GoesOnAnd97EndsIt() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, PendingRequest::FreeAccel);
        QVERIFY(b.RunUntilState(PollState::FreeAccelTest, 30));
        const size_t from = b.port.SentFrames().size();
        b.RunTicks(6);
        QCOMPARE(b.CodesSince(from), (std::vector<uint8_t>{11, 7, 10, 11, 7, 10}));
    }

    void freeAccelProgress96GoesOnAnd97EndsIt() {
        // A hand-fed instrument: every reply is injected as its request leaves.
        PollBench b;
        b.HandFed(PollState::FreeAccelTest, request::kStatus);
        b.readings.progress = 90;
        const auto reply = [&](FrameData d) {
            b.port.Inject(PollBench::Frame(d));
            b.RunTicks(1);
        };
        reply({2, 2, 96, 0, 0});  // status
        QCOMPARE(b.control.state, PollState::FreeAccelTest);
        QCOMPARE(b.control.phase, 1);
        reply({0, 5, 12, 1, 0});  // opacity 45.3 %
        QCOMPARE(b.readings.opacityX10, 453);
        reply({0, 0, 0x8, 0x2, 0x1});  // 4096 + 512 + 128 = 4736 rpm
        QCOMPARE(b.readings.engineSpeed, 4736);
        QCOMPARE(b.control.phase, 0);
        reply({1, 0, 97, 0, 0});  // status: all six done
        QCOMPARE(b.control.state, PollState::ResultDelay);
        QCOMPARE(b.control.finishedKind, TestKind::FreeAccel);
        QVERIFY(!b.control.collecting);
        QCOMPARE(b.CodesSince(0), (std::vector<uint8_t>{11, 7, 10}));
    }

    // Silence in a test: the request awaited is given up and asked again after 6,
    // 12 and 18 silent ticks (so a sample whose reply was lost is completed), and
    // nothing else leaves.
    void silenceInATestAsksTheAwaitedRequestAgainAt6And12And18Ticks_data() {
        QTest::addColumn<PendingRequest>("kind");
        QTest::newRow("maximum speed") << PendingRequest::MaxSpeed;
        QTest::newRow("free acceleration") << PendingRequest::FreeAccel;
    }
    void silenceInATestAsksTheAwaitedRequestAgainAt6And12And18Ticks() {
        QFETCH(PendingRequest, kind);
        const PollState testState =
            kind == PendingRequest::MaxSpeed ? PollState::MaxSpeedTest : PollState::FreeAccelTest;
        PollBench b;
        sim::Opacimeter instrument(
            sim::Options{.fault = sim::Fault::Silence, .faultStartUs = 3'000'000});
        QVERIFY(b.IdentifyOnCom1(instrument));
        Start(b, kind);
        QVERIFY(b.RunUntilState(testState, 30));
        b.RunUntil(3'000'000);
        while (b.control.silentTicks == 0) b.RunTicks(1);
        const uint8_t awaited = b.control.awaitedRequest;
        const int phase = b.control.phase;
        QVERIFY(awaited != 0);
        std::vector<int> askedAt;
        while (!b.control.linkLost) {
            const size_t before = b.port.SentFrames().size();
            b.RunTicks(1);
            const auto codes = b.CodesSince(before);
            if (!codes.empty()) {
                askedAt.push_back(b.control.silentTicks);
                QCOMPARE(codes, std::vector<uint8_t>{awaited});
            }
            QCOMPARE(b.control.state, testState);
        }
        QCOMPARE(askedAt, (std::vector<int>{6, 12, 18}));
        QCOMPARE(b.control.silentTicks, 20);
        QCOMPARE(b.control.phase, phase);
    }
};

QTEST_APPLESS_MAIN(TestStatesTest)
#include "test_test_states.moc"
