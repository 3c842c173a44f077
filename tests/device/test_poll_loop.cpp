// The poll loop tick by tick against the simulated instrument: the port search,
// the polling cycle, and the supervision of the link.
#include "testing/poll_bench.h"

#include <QTest>

#include <algorithm>

using namespace kelvaron;
using kelvaron::testing::PollBench;

namespace {

const QString kNotFound = QStringLiteral(
    "Устройство не обнаружено! Присоедините кабель,включите устройство и нажмите кнопку "
    "\"Связь\"");

// An opacity reply for `x10` tenths of a percent.
std::vector<uint8_t> Opacity(int x10) {
    return PollBench::Frame({0, static_cast<uint8_t>(x10 & 0xF),
                             static_cast<uint8_t>((x10 >> 4) & 0xF),
                             static_cast<uint8_t>((x10 >> 8) & 0xF), 0});
}

int Count(const std::vector<uint8_t>& codes, uint8_t code) {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

}  // namespace

class PollLoopTest : public QObject {
    Q_OBJECT

private slots:
    // ---- The search ----

    void firstIdentifyLeavesOnThe13thTickAfterTheOpen() {
        PollBench b;
        sim::Opacimeter instrument;
        b.port.AddInstrument(1, instrument);
        b.loop.StartSearch(0);
        QCOMPARE(b.port.OpenPort(), 1);
        QCOMPARE(b.host.portLine, QStringLiteral("Порт:  COM1"));
        b.RunTicks(12);
        QVERIFY(b.port.SentFrames().empty());
        b.RunTicks(1);
        QCOMPARE(b.CodesSince(0), std::vector<uint8_t>{14});
        QCOMPARE(b.port.SentFrames()[0].timeUs, int64_t{13 * 20'000});
    }

    void identifyReplyMovesToPollingAndNamesTheInstrument() {
        PollBench b;
        sim::Opacimeter instrument;
        b.port.AddInstrument(1, instrument);
        b.loop.StartSearch(0);
        QCOMPARE(b.host.gauge, 6);
        b.RunTicks(14);
        QCOMPARE(b.control.state, PollState::Polling);
        QVERIFY(!b.control.searching);
        QCOMPARE(b.host.gauge, 0);
        QCOMPARE(b.host.portLine, QStringLiteral("Порт:  COM1  Торвелан Д 3 - 12 верс: 2.1"));
    }

    void otherFramesAreIgnoredWhileSearching() {
        PollBench b;
        b.port.AddSilentPort(1);
        b.loop.StartSearch(0);
        b.port.Inject(PollBench::Frame({0x00, 0x43, 0x03, 0x0C, 0x21}));
        b.RunTicks(1);
        QCOMPARE(b.control.state, PollState::Searching);
    }

    void silentPortCosts13Times13TicksThenTheDelay() {
        PollBench b;
        sim::Opacimeter instrument;
        b.port.AddSilentPort(1);
        b.port.AddInstrument(2, instrument);
        b.loop.StartSearch(0);
        b.RunTicks(13 * 13 - 1);
        QCOMPARE(b.port.OpenPort(), 1);
        QCOMPARE(Count(b.CodesSince(0), 14), 12);
        b.RunTicks(1);  // the 13th period closes the port and waits
        QCOMPARE(b.port.OpenPort(), 0);
        QVERIFY(b.host.delayPending);
        b.RunMs(649);
        QCOMPARE(b.port.OpenPort(), 0);
        b.RunMs(1);
        QCOMPARE(b.port.OpenPort(), 2);
        QCOMPARE(b.clock.nowUs, int64_t{(13 * 13 * 20 + 650) * 1000});
        QCOMPARE(b.port.Opens(), (std::vector<int>{1, 2}));
    }

    void noPortsAtAllShowsNotFoundAtOnce() {
        PollBench b;
        b.loop.StartSearch(0);
        QCOMPARE(b.port.Opens().size(), size_t{17});
        QCOMPARE(b.messages.notices, QStringList{kNotFound});
        QCOMPARE(b.control.state, PollState::Disconnected);
        QVERIFY(!b.host.timer2Enabled);
        QCOMPARE(b.host.gauge, 0);
        QCOMPARE(b.host.portLine, QStringLiteral("Не подключен"));
    }

    // A port that refuses the user gives the advice on the group "dialout" with
    // the first failed search of the run, and never again.
    void aPortRefusingTheUserGivesTheGroupAdviceOnce() {
        PollBench b;
        b.port.AddDeniedPort(3);
        b.loop.StartSearch(0);
        b.loop.StartSearch(0);
        QCOMPARE(b.messages.notices.size(), 2);
        QVERIFY(b.messages.notices[0].startsWith(kNotFound + QStringLiteral("\n\n")));
        QVERIFY(b.messages.notices[0].contains(QStringLiteral("usermod -aG dialout")));
        QCOMPARE(b.messages.notices[1], kNotFound);
    }

    void allPortsSearchTries129Ports() {
        PollBench b;
        b.loop.StartSearch(1);
        QCOMPARE(b.control.searchLimit, 64);
        QCOMPARE(b.control.searchStep, 1);
        QCOMPARE(b.port.Opens().size(), size_t{129});
        QCOMPARE(b.port.Opens()[64], 1);  // wrapped from COM64
    }

    void searchWrapsAndTheNextSearchStartsAfterTheLastPortTried() {
        PollBench b;
        b.loop.StartSearch(0);
        const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, 1};
        QCOMPARE(b.port.Opens(), expected);
        b.loop.StartSearch(0);
        QCOMPARE(b.port.Opens()[17], 2);
    }

    void lastAttemptOnASilentPortEndsTheSearchAndKeepsThePortOpen() {
        PollBench b;
        b.port.AddSilentPort(1);
        b.control.searchPort = 8;  // the first attempt opens COM1 ...
        b.loop.StartSearch(0);
        // ... its silence costs a delay, then COM2..COM8, COM1 (fails after the
        // delay: the port closed, the 12 periods run on a closed port) ...
        b.RunMs(60'000);
        QCOMPARE(b.messages.notices, QStringList{kNotFound});
        QCOMPARE(b.control.state, PollState::Disconnected);
        QVERIFY(!b.host.timer2Enabled);
    }

    // ---- Polling ----

    void pollingCycleIsTenTicksWithOneStatusAndSixOpacityRequests() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        while (b.control.phase != 0) b.RunTicks(1);
        const size_t from = b.port.SentFrames().size();
        b.RunTicks(10);
        const auto codes = b.CodesSince(from);
        QCOMPARE(codes, (std::vector<uint8_t>{10, 11, 11, 11, 11, 11, 11}));
        QCOMPARE(b.control.phase, 0);
        // Each request left on its own tick, one tick after the one before.
        const auto& sent = b.port.SentFrames();
        for (size_t i = from + 1; i < sent.size(); ++i)
            QCOMPARE(sent[i].timeUs - sent[i - 1].timeUs, int64_t{20'000});
        QCOMPARE(b.readings.deviceState, uint8_t{1});
        QVERIFY(b.readings.opacityX10 >= 9 && b.readings.opacityX10 <= 15);
        QCOMPARE(b.host.refreshes > 0, true);
    }

    // Frames that cannot be told for the answer: more in a tick than requests
    // awaiting them (a late reply beside the answer, frames nobody asked for), our
    // own request echoed back, digits that are no hexadecimal digits, a reply past
    // its limit. All are dropped, nothing leaves until the limit and the late
    // ticks after it are up, and then the same request is asked again and its
    // reply read.
    void framesThatCannotBeTheAnswerAreDroppedAndTheRequestAskedAgain_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("awaited");
        QTest::addColumn<QList<QByteArray>>("frames");  // all in one tick
        QTest::addColumn<int>("atTick");                // after the request left
        const auto frame = [](FrameData d) {
            const auto bytes = PollBench::Frame(d);
            return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qsizetype>(bytes.size()));
        };
        const auto opacity = [&](int x10) {
            return frame({0, uint8_t(x10 & 15), uint8_t(x10 >> 4 & 15), uint8_t(x10 >> 8), 0});
        };
        const QByteArray status = frame({2, 2, 16, 0, 0});
        const int polling = int(PollState::Polling), test = int(PollState::FreeAccelTest);
        QTest::newRow("three opacity frames")
            << polling << 11 << QList<QByteArray>{opacity(100), opacity(200), opacity(453)} << 1;
        QTest::newRow("a late opacity reply with the status")
            << polling << 10 << QList<QByteArray>{opacity(247), status} << 1;
        QTest::newRow("in a test: a late opacity reply with the status")
            << test << 10 << QList<QByteArray>{opacity(600), status} << 1;
        QTest::newRow("the status request echoed twice")
            << polling << 10 << QList<QByteArray>{QByteArray::fromHex("AA0AA505AA0AA505")} << 1;
        QTest::newRow("an opacity digit above 15")
            << polling << 11 << QList<QByteArray>{frame({0, 0x10, 0, 0, 0})} << 1;
        QTest::newRow("the status past its limit")
            << polling << 10 << QList<QByteArray>{status} << poll_timing::kReplyLimitTicks + 1;
    }
    void framesThatCannotBeTheAnswerAreDroppedAndTheRequestAskedAgain() {
        QFETCH(int, state);
        QFETCH(int, awaited);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(int, atTick);
        PollBench b;
        b.HandFed(static_cast<PollState>(state), static_cast<uint8_t>(awaited));
        b.control.phase = awaited == 11 ? 3 : (state == int(PollState::Polling) ? 1 : 0);
        b.readings.opacityX10 = 50;
        b.RunTicks(atTick - 1);
        for (const QByteArray& f : frames) b.port.Inject({f.begin(), f.end()});
        b.RunTicks(poll_timing::kReplyLimitTicks + poll_timing::kLateReplyTicks - atTick);
        QVERIFY(b.port.SentFrames().empty());
        QCOMPARE(b.readings.opacityX10, 50);
        QCOMPARE(b.readings.deviceState, uint8_t{0});
        QCOMPARE(b.readings.progress, uint8_t{0});
        QCOMPARE(b.control.silentTicks,
                 poll_timing::kReplyLimitTicks + poll_timing::kLateReplyTicks - 1);
        b.RunTicks(1);
        QCOMPARE(b.CodesSince(0), std::vector<uint8_t>{static_cast<uint8_t>(awaited)});
        QCOMPARE(b.loop.Counts().requestsGivenUp, int64_t{1});
        // The reply to the request asked again is read as what it is.
        b.port.Inject(awaited == 11 ? Opacity(321) : PollBench::Frame({2, 2, 16, 0, 0}));
        b.RunTicks(1);
        if (awaited == 11)
            QCOMPARE(b.readings.opacityX10, 321);
        else
            QCOMPARE(b.readings.progress, uint8_t{16});
        QCOMPARE(b.CodesSince(1), std::vector<uint8_t>{11});
    }

    void lateStatusReplyIsReadAsStatusNotAsOpacity() {
        PollBench b;
        b.HandFed(PollState::Polling);
        b.readings.opacityX10 = 453;
        b.RunTicks(2);  // phase 0 asks for the status; phase 1 gets nothing
        QCOMPARE(b.CodesSince(0), std::vector<uint8_t>{10});
        b.port.Inject(PollBench::Frame({1, 0, 0, 0, 0}));  // the status reply, one tick late
        b.RunTicks(1);                                     // phase 2
        QCOMPARE(b.readings.opacityX10, 453);              // not taken for an opacity of 0
        QCOMPARE(b.readings.deviceState, uint8_t{1});
        QCOMPARE(b.CodesSince(0), (std::vector<uint8_t>{10, 11}));
        b.port.Inject(Opacity(321));
        b.RunTicks(1);
        QCOMPARE(b.readings.opacityX10, 321);
    }

    void commandsPendingLeaveAtPhase9() {
        PollBench b;
        sim::Opacimeter instrument;
        QVERIFY(b.IdentifyOnCom1(instrument));
        while (b.control.phase != 9) b.RunTicks(1);
        b.control.pendingRequest = PendingRequest::Zero;
        const size_t from = b.port.SentFrames().size();
        b.RunTicks(1);
        QCOMPARE(b.CodesSince(from), std::vector<uint8_t>{1});
        QCOMPARE(b.control.pendingRequest, PendingRequest::None);
        QVERIFY(!b.control.startAwaited);
    }

    // ---- Losing the link ----

    void twentySilentTicksInPollingReportTheLinkLostAndStopRequests() {
        PollBench b;
        sim::Opacimeter instrument(
            sim::Options{.fault = sim::Fault::Silence, .faultStartUs = 600'000});
        QVERIFY(b.IdentifyOnCom1(instrument));
        b.RunUntil(600'000);  // the instrument falls silent here
        while (b.control.silentTicks == 0) b.RunTicks(1);
        b.RunTicks(18);
        QCOMPARE(b.control.silentTicks, 19);
        QVERIFY(!b.control.linkLost);
        b.RunTicks(1);
        QVERIFY(b.control.linkLost);
        QCOMPARE(b.host.statusLine, QStringLiteral("СВЯЗЬ ПРЕРВАНА."));
        QVERIFY(b.host.statusRed);
        QVERIFY(!b.host.timer2Enabled);
        const size_t sent = b.port.SentFrames().size();
        b.RunMs(5000);
        QCOMPARE(b.port.SentFrames().size(), sent);
        // The link is lost, not the port: it stays open for the next search.
        QCOMPARE(b.port.OpenPort(), 1);
        QCOMPARE(b.control.state, PollState::Polling);
    }

    void nineteenSilentTicksAndAValidReplyResetTheCountButNoiseDoesNot() {
        PollBench b;
        b.HandFed(PollState::Polling, request::kStatus);  // asked again at 6, 12 and 18
        b.control.phase = 1;
        b.RunTicks(18);
        QCOMPARE(b.control.silentTicks, 18);
        b.port.Inject({0x00, 0xAA, 0x13});  // bytes, but no reply
        b.RunTicks(1);
        QCOMPARE(b.control.silentTicks, 19);
        b.port.Inject(PollBench::Frame({1, 0, 0, 0, 0}));
        b.RunTicks(1);
        QCOMPARE(b.control.silentTicks, 0);
        QVERIFY(!b.control.linkLost);
        QVERIFY(b.host.timer2Enabled);
    }

    void silenceIsNeverCountedWhileSearching() {
        PollBench b;
        b.port.AddSilentPort(1);
        b.loop.StartSearch(0);
        b.RunTicks(150);
        QCOMPARE(b.control.silentTicks, 0);
        QVERIFY(!b.control.linkLost);
    }

    void searchAfterALostLinkClosesThePortAndTriesTheNextOne() {
        PollBench b;
        sim::Opacimeter silent(sim::Options{.fault = sim::Fault::Silence, .faultStartUs = 600'000});
        sim::Opacimeter second;
        b.port.AddInstrument(1, silent);
        b.port.AddInstrument(2, second);
        QVERIFY(b.Identify());
        b.RunMs(2000);
        QVERIFY(b.control.linkLost);
        b.loop.StartSearch(0);
        QVERIFY(!b.control.linkLost);
        QVERIFY(!b.host.statusRed);
        QCOMPARE(b.port.OpenPort(), 0);
        b.RunMs(650);
        QCOMPARE(b.port.OpenPort(), 2);
        b.RunTicks(14);
        QCOMPARE(b.control.state, PollState::Polling);
        QCOMPARE(b.host.portLine, QStringLiteral("Порт:  COM2  Торвелан Д 3 - 12 верс: 2.1"));
    }

    // ---- Message boxes inside a tick ----

    void overflowIsShownOncePerSearchedPortAndOncePerPollingSession() {
        PollBench b;
        b.port.AddSilentPort(1);
        b.port.AddSilentPort(2);
        b.loop.StartSearch(0);
        // A device that streams on the searched port: the ring overflows every tick.
        for (int i = 0; i < 169; ++i) {
            b.port.Inject(std::vector<uint8_t>(600, 0x55));
            b.RunTicks(1);
        }
        QCOMPARE(b.messages.notices, QStringList{QStringLiteral("Буфер переполнен")});
        // The next port opened by the search may tell it once more.
        b.RunMs(650);
        QCOMPARE(b.port.OpenPort(), 2);
        b.port.Inject(std::vector<uint8_t>(600, 0x55));
        b.RunTicks(3);
        QCOMPARE(b.messages.notices.size(), 2);

        // Polling: once per session, however long the flood lasts.
        PollBench p;
        p.HandFed(PollState::Polling);
        for (int i = 0; i < 50; ++i) {
            p.port.Inject(std::vector<uint8_t>(600, 0x55));
            p.RunTicks(1);
        }
        QCOMPARE(p.messages.notices, QStringList{QStringLiteral("Буфер переполнен")});
    }

    // A listener in another thread holds the copies the records carry. With the
    // records sent by frames, the copy is current whenever a signal that stems
    // from the records arrives, and at every tick's end in what the window acts
    // on; it is never more than a frame behind, and every refresh is said.
    void recordsByFramesAreCurrentForEveryEventAndStateChange() {
        PollBench b;
        sim::Opacimeter instrument(
            sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 3'000'000});
        b.loop.SetRecordsEveryTick(false);
        DeviceReadings heldReadings;
        PollControl heldControl;
        int handOvers = 0, refreshesSaid = 0, staleEvents = 0, events = 0;
        QObject::connect(&b.loop, &PollLoop::recordsChanged,
                         [&](const DeviceReadings& r, const PollControl& c, bool refreshed) {
                             heldReadings = r;
                             heldControl = c;
                             ++handOvers;
                             refreshesSaid += refreshed;
                         });
        const auto event = [&] {
            ++events;
            if (!(heldReadings == b.readings && heldControl == b.control)) ++staleEvents;
        };
        QObject::connect(&b.loop, &PollLoop::freeAccelSampleDue, event);
        QObject::connect(&b.loop, &PollLoop::measurementCaptionDue, event);
        QObject::connect(&b.loop, &PollLoop::instrumentStartedTest, event);
        QObject::connect(&b.loop, &PollLoop::resultArrived, event);
        bool resulted = false;
        QObject::connect(&b.loop, &PollLoop::resultArrived, [&] { resulted = true; });

        QVERIFY(b.IdentifyOnCom1(instrument));
        int quietTicks = 0, longestQuiet = 0, behindAtTickEnd = 0;
        int unrefreshedTicks = 0, longestUnrefreshedInTest = 0;  // while samples are taken
        for (int tick = 0; tick < 3000 && !resulted; ++tick) {
            const int before = handOvers, refreshedBefore = refreshesSaid;
            b.RunTicks(1);
            quietTicks = handOvers == before ? quietTicks + 1 : 0;
            longestQuiet = std::max(longestQuiet, quietTicks);
            unrefreshedTicks = refreshesSaid == refreshedBefore ? unrefreshedTicks + 1 : 0;
            if (b.control.state == PollState::FreeAccelTest)
                longestUnrefreshedInTest = std::max(longestUnrefreshedInTest, unrefreshedTicks);
            if (heldControl.state != b.control.state ||
                heldControl.linkLost != b.control.linkLost ||
                heldControl.collecting != b.control.collecting ||
                heldControl.pendingRequest != b.control.pendingRequest ||
                heldReadings.deviceState != b.readings.deviceState)
                ++behindAtTickEnd;
        }
        QVERIFY(resulted);
        QVERIFY(events > 100);
        QCOMPARE(staleEvents, 0);
        QCOMPARE(behindAtTickEnd, 0);
        QCOMPARE(longestQuiet, poll_timing::kHandOverTicks - 1);
        // A sample every third tick refreshes the readings: each frame says so.
        QVERIFY(longestUnrefreshedInTest <= poll_timing::kHandOverTicks);

        // Polling again: one hand-over a frame, each saying the refreshes since the last.
        QVERIFY(b.RunUntilState(PollState::Polling, 100));
        b.RunTicks(5);
        handOvers = refreshesSaid = 0;
        b.RunTicks(100);
        QCOMPARE(handOvers, 100 / poll_timing::kHandOverTicks);
        QCOMPARE(refreshesSaid, handOvers);
        // Asked for every tick, the records go at once and then with every tick.
        b.loop.SetRecordsEveryTick(true);
        QCOMPARE(handOvers, 21);
        QCOMPARE(heldReadings, b.readings);
        b.RunTicks(10);
        QCOMPARE(handOvers, 31);
    }

    void aTickNeverRunsInsideTheMessageBoxOfAnother() {
        PollBench b;
        b.port.AddSilentPort(1);
        b.loop.StartSearch(0);
        // While the box is up the timer fires again: that tick must not run.
        int callsInsideBox = -1;
        b.messages.whileOpen = [&] {
            const int before = b.port.BytesWaitingCalls();
            b.loop.Timer2Timer();
            callsInsideBox = b.port.BytesWaitingCalls() - before;
        };
        b.port.Inject(std::vector<uint8_t>(300, 0x00));
        b.RunTicks(1);
        QCOMPARE(b.messages.notices.size(), 1);
        QCOMPARE(callsInsideBox, 0);
        b.messages.whileOpen = nullptr;
        const int before = b.port.BytesWaitingCalls();
        b.RunTicks(1);  // and the ticks after it run normally
        QCOMPARE(b.port.BytesWaitingCalls() - before, 1);
    }
};

QTEST_APPLESS_MAIN(PollLoopTest)
#include "test_poll_loop.moc"
