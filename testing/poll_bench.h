#pragma once
// The poll loop with everything around it simulated: a recording host, a fake
// port, and the event loop's two timers run on a hand-moved clock.
#include "device/poll_loop.h"
#include "testing/fake_port.h"
#include "testing/scripted_interaction.h"

#include <QStringList>

#include <cstdint>
#include <functional>

namespace kelvaron::testing {

// What the poll loop asks of the window around it, recorded: its two timers on
// the hand-moved clock, the lines and the gauge it shows, and its notices.
struct RecordingHost {
    explicit RecordingHost(FakeClock& clock) : clock_(clock) {}

    void Attach(PollLoop& loop) {
        QObject::connect(&loop, &PollLoop::pollTimerChanged,
                         [this](bool on) { SetPollTimerEnabled(on); });
        QObject::connect(&loop, &PollLoop::portDelayStarted, [this] {
            delayPending = true;
            delayDueUs = clock_.nowUs + poll_timing::kPortDelayMs * 1000;
            ++delayStarts;
        });
        QObject::connect(&loop, &PollLoop::portLineChanged,
                         [this](const QString& t) { portLine = t; });
        QObject::connect(&loop, &PollLoop::modeLineChanged,
                         [this](const QString& t) { statusLine = t; });
        QObject::connect(&loop, &PollLoop::linkLostShown, [this](bool red) { statusRed = red; });
        QObject::connect(&loop, &PollLoop::gaugeChanged, [this](int value) { gauge = value; });
        QObject::connect(
            &loop, &PollLoop::recordsChanged,
            [this](const auto&, const auto&, bool refreshed) { refreshes += refreshed; });
    }
    void SetPollTimerEnabled(bool enabled) {
        // A timer started anew first fires one period later.
        if (enabled && !timer2Enabled) nextTickUs = clock_.nowUs + poll_timing::kTickMs * 1000;
        timer2Enabled = enabled;
    }

    bool timer2Enabled = false;
    int64_t nextTickUs = 0;
    bool delayPending = false;
    int64_t delayDueUs = 0;
    int delayStarts = 0;
    QString portLine = QStringLiteral("   не подключен");
    QString statusLine = QStringLiteral("Связь не установлена");
    bool statusRed = false;
    int gauge = 0;
    int refreshes = 0;

private:
    FakeClock& clock_;
};

struct PollBench {
    FakeClock clock;
    FakePort port{clock};
    RecordingHost host{clock};
    ScriptedInteraction messages;  // the loop's notices
    DeviceReadings readings;
    PollControl control;
    TProtokol protokol;
    PollLoop loop{readings, control, protokol, port};
    int ticks = 0;  // Timer2 ticks run so far

    PollBench() {
        host.Attach(loop);
        QObject::connect(&loop, &PollLoop::notice,
                         [this](const QString& text) { messages.Notice(text); });
    }

    // Runs the timers until `untilUs`, firing each one when it falls due.
    void RunUntil(int64_t untilUs) {
        for (;;) {
            int64_t next = INT64_MAX;
            if (host.timer2Enabled) next = std::min(next, host.nextTickUs);
            if (host.delayPending) next = std::min(next, host.delayDueUs);
            if (next > untilUs) {
                clock.nowUs = untilUs;
                return;
            }
            clock.nowUs = next;
            if (host.delayPending && host.delayDueUs <= next) {
                host.delayPending = false;
                loop.TimerZadTimer();
            } else {
                host.nextTickUs += poll_timing::kTickMs * 1000;
                ++ticks;
                loop.Timer2Timer();
            }
        }
    }
    // Runs exactly `count` more Timer2 ticks (and any delay timer on the way).
    void RunTicks(int count) {
        const int target = ticks + count;
        while (ticks < target && (host.timer2Enabled || host.delayPending)) {
            int64_t next = INT64_MAX;
            if (host.timer2Enabled) next = std::min(next, host.nextTickUs);
            if (host.delayPending) next = std::min(next, host.delayDueUs);
            RunUntil(next);
        }
    }
    void RunMs(int ms) { RunUntil(clock.nowUs + int64_t{ms} * 1000); }

    // A hand-fed line: COM1 open in `state`, `awaited` just asked, and the poll
    // timer running; the test injects each reply itself.
    void HandFed(PollState state, uint8_t awaited = 0) {
        port.AddSilentPort(1);
        port.Open(1, 9600);
        host.SetPollTimerEnabled(true);
        control.state = state;
        control.awaitedRequest = awaited;
    }
    // A data frame carrying D1..D5, with its check byte.
    static std::vector<uint8_t> Frame(FrameData d) {
        return {0xAA, d[0], d[1], d[2], d[3], d[4], 0xA5, DataFrameCheck(d)};
    }

    // Searches until the instrument on COM1 is identified.
    bool Identify() {
        loop.StartSearch(0);
        return RunTicksUntil([&] { return control.state == PollState::Polling; }, 20);
    }
    // Puts `instrument` on COM1 and searches until it is identified.
    bool IdentifyOnCom1(sim::Opacimeter& instrument) {
        port.AddInstrument(1, instrument);
        return Identify();
    }
    // Runs ticks until the loop is in `state` or `limit` ticks have passed.
    bool RunUntilState(PollState state, int limit) {
        return RunTicksUntil([&] { return control.state == state; }, limit);
    }
    // Runs ticks until `done` holds or `limit` ticks have passed.
    template <typename Done>
    bool RunTicksUntil(Done done, int limit) {
        for (int i = 0; i < limit && !done(); ++i) RunTicks(1);
        return done();
    }

    // Codes sent from `from` on.
    std::vector<uint8_t> CodesSince(size_t from) const {
        std::vector<uint8_t> codes;
        for (size_t i = from; i < port.SentFrames().size(); ++i)
            codes.push_back(port.SentFrames()[i].code);
        return codes;
    }
};

}  // namespace kelvaron::testing
