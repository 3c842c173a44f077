#pragma once
// The poll loop: the port search, the 20 ms polling cycle and the supervision of
// the link. Plain code: the port, the timers and the window are reached through
// SerialLink and PollHost, so a test drives it tick by tick.
#include "device_state.h"
#include "poll_host.h"
#include "protokol.h"
#include "serial_link.h"
#include "test_events.h"

#include <QString>

#include <vector>

namespace kelvaron {

// Every timing constant of the loop, in one place.
namespace poll_timing {
constexpr int kTickMs = 20;            // Timer2
constexpr int kPortDelayMs = 650;      // TimerZad: after closing a silent port
constexpr int kIdentPeriodTicks = 13;  // an identify request every 13th tick
constexpr int kIdentRequestsPerPort = 12;
constexpr int kPollingCycleTicks = 10;    // phases 0..9
constexpr int kSilenceLimitTicks = 20;    // silent ticks from Polling up before the link is lost
constexpr int kStatusRetryTicks = 5;      // in a test, silence asks for the status every 5 ticks
constexpr int kResultDelayTicks = 5;      // from the end of a test to the first result request
constexpr int kMaxSpeedDone = 100;        // progress of a finished maximum-speed test
constexpr int kFreeAccelLastSample = 96;  // progress above this: all six accelerations done
constexpr int kBaud = 9600;
constexpr int kPortsDefault = 8;
constexpr int kPortsAll = 64;
}  // namespace poll_timing

// Request codes the loop sends.
namespace request {
constexpr uint8_t kZero = 1;
constexpr uint8_t kStartFreeAccel = 2;
constexpr uint8_t kStartMaxSpeed = 3;
constexpr uint8_t kEngineSpeed = 7;
constexpr uint8_t kStatus = 10;
constexpr uint8_t kOpacity = 11;
constexpr uint8_t kFreeAccelResultShort = 12;
constexpr uint8_t kMaxSpeedResultShort = 13;
constexpr uint8_t kIdentify = 14;
constexpr uint8_t kFreeAccelResult = 15;
constexpr uint8_t kMaxSpeedResult = 16;
}  // namespace request

// pendingRequest values: the request each stands for.
constexpr int kPendingZero = 1;
constexpr int kPendingFreeAccel = 2;
constexpr int kPendingMaxSpeed = 3;

// finishedKind values.
constexpr int kFinishedMaxSpeed = 1;
constexpr int kFinishedFreeAccel = 2;

// The mode line for a status, or empty when it leaves the previous text.
QString ModeLine(uint8_t deviceState, uint8_t deviceMode);

constexpr uint8_t kIdentifyReplyMark = 0x44;  // D2 of the identify reply

// Port-line texts.
QString PortLineOpened(int port);
QString PortLineIdentified(int port, const DeviceReadings& r);

class PollLoop {
public:
    PollLoop(DeviceReadings& readings, PollControl& control, TProtokol& protokol,
             SerialLink& serial, PollHost& host);

    // Starts a port search: COM1..COM8, or COM1..COM64 when `portSearch` is not 0.
    void StartSearch(int portSearch);
    // The Timer2 tick. A tick raised while another is still running (a message box
    // of the running tick lets the timer fire again) is suppressed.
    void Timer2Timer();
    // The TimerZad tick: opens the next port of the search.
    void TimerZadTimer();

    // The port number last passed to the port's Open.
    int CurrentPort() const { return currentPort_; }

    // Who follows the tests; may stay unset.
    void SetTestEvents(TestEvents* events) { events_ = events; }

    // The gate of the operator's commands: "Связь не установлена" while the
    // instrument is not identified or the link is lost, "Идет настройка прибора"
    // while it is not ready. False (after the message) when a command may not go.
    bool PassCommandGate();
    // The zero command: through the gate, then pending until phase 9.
    void ZeroCommand();
    // A start command the gate has let through (2 free acceleration, 3 max speed).
    void SetPendingRequest(int request) { control_.pendingRequest = request; }

private:
    void Tick();
    void ReceiveBytes(int waiting);
    void HandleFrame();
    void HandleSearchingFrame();
    void HandlePollingFrame();
    void EnterTestState();
    void HandleMaxSpeedFrame();
    void HandleFreeAccelFrame();
    void HandleResultFrame();
    void EndTest(int finishedKind);
    void TestSilenceSteps();
    void ResultSteps();
    void RefreshModeAndReadings();
    void PollingStep();
    void SearchStep();

    void SearchNextPort();
    void TryPort();
    void OpenSearchPort();
    void ReportNotFound();
    void ReportLinkLost();

    void Send(uint8_t code) {
        serial_.SendCommand(code);
        lastRequest_ = code;
    }

    DeviceReadings& readings_;
    PollControl& control_;
    TProtokol& protokol_;
    SerialLink& serial_;
    PollHost& host_;
    TestEvents* events_ = nullptr;
    int currentPort_ = 1;
    uint8_t lastRequest_ = 0;
    std::vector<uint8_t> readBuffer_;  // the request sent last, which the next reply answers
    bool inTick_ = false;
    bool overflowShown_ = false;  // "Буфер переполнен" shown since the port opened or polling began
};

}  // namespace kelvaron
