#pragma once
// The poll loop: the port search, the 20 ms polling cycle and the supervision of
// the link. Plain code: it reaches the port through SerialLink and tells through
// signals what it needs (its two timers) and what the operator is to see (lines,
// gauge, notices, readings, the test's samples and result), so it can run in a
// thread of its own, and a test drives it tick by tick.
#include "device/device_state.h"
#include "device/protokol.h"
#include "device/serial_link.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kelvaron {

// Every timing constant of the loop, in one place.
namespace poll_timing {
constexpr int kTickMs = 20;            // Timer2
constexpr int kPortDelayMs = 650;      // TimerZad: after closing a silent port
constexpr int kIdentPeriodTicks = 13;  // an identify request every 13th tick
constexpr int kIdentRequestsPerPort = 12;
constexpr int kPollingCycleTicks = 10;  // phases 0..9
constexpr int kSilenceLimitTicks = 20;  // ticks without a valid reply before the link is lost
// A reply is read up to this many ticks (80 ms) after its request. It usually
// comes within the tick; a slow instrument answers 45 ms after the request, read
// at the third tick, and a USB adapter holds bytes up to 16 ms more.
constexpr int kReplyLimitTicks = 4;
// Past the limit the request is given up. Whatever arrives in these ticks is a
// reply too late to be told from the answer to the next request and is dropped;
// then the request is asked again (120 ms after it first left).
constexpr int kLateReplyTicks = 2;
constexpr int kResultDelayTicks = 5;      // from the end of a test to the first result request
constexpr int kMaxSpeedDone = 100;        // progress of a finished maximum-speed test
constexpr int kFreeAccelLastSample = 96;  // progress above this: all six accelerations done
constexpr int kBaud = 9600;
// Without a listener that needs every tick, the tick's records go to the window
// every fifth tick (the live panel's frame) unless something else calls for them.
constexpr int kHandOverTicks = 5;
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

// The mode line for a status, or empty when it leaves the previous text.
QString ModeLine(uint8_t deviceState, uint8_t deviceMode);

constexpr uint8_t kIdentifyReplyMark = 0x44;  // D2 of the identify reply

// Why the operator's command may not go now: "Связь не установлена" while the
// instrument is not identified or the link is lost, "Идет настройка прибора" while
// it is not ready; empty when it may go.
QString CommandRefusal(const PollControl& control, const DeviceReadings& readings);

// Port-line texts.
QString PortLineOpened(int port);
QString PortLineIdentified(int port, const DeviceReadings& r);
// The identify reply's designation (D3, D4) and firmware version (D5: high digit
// before the point, low digit after it).
QString InstrumentDesignation(const DeviceReadings& r);
QString FirmwareVersion(const DeviceReadings& r);

// FNV-1a over the request code and the reply's five data bytes.
constexpr uint64_t kExchangeDigestStart = 14695981039346656037ull;
inline uint64_t ExchangeDigest(uint64_t digest, uint8_t request, const FrameData& reply) {
    const auto fold = [&](uint8_t b) { digest = (digest ^ b) * 1099511628211ull; };
    fold(request);
    for (uint8_t b : reply) fold(b);
    return digest;
}

// What became of the frames and requests of a run: for diagnostics and benches.
struct ExchangeCounts {
    int64_t repliesTaken = 0;                  // frames read as the answer to the request awaited
    int64_t framesDropped = 0;                 // frames that could not be an answer (see PollLoop)
    int64_t requestsGivenUp = 0;               // requests whose reply did not come within the limit
    std::array<int64_t, 17> takenByRequest{};  // replies taken, by the request answered
    // Every request answered with its reply, in order, folded by ExchangeDigest: a
    // test compares it with the replies the instrument says it sent.
    uint64_t answerDigest = kExchangeDigestStart;
};

// Whether `frame` is one of our own requests coming back, as from an echoing
// adapter or a loopback plug: it begins with a command frame (AA, code, A5, the
// code's check) followed by the start byte of the next one. No reply of the
// instrument looks so (D2 0xA5 is no mode, validity or digit).
bool IsEchoedRequest(const FrameData& frame);

// Whether `reply` can be the answer to `request`: numbers come one hexadecimal
// digit per byte, so a byte above 15 where a digit belongs marks a frame that is
// no reply (line noise whose check happened to match).
bool CanAnswer(uint8_t request, const FrameData& reply);

// The poll loop reads every reply as the answer to its own request. A reply
// carries no type, so one request at a time is in flight: the next leaves only
// when the reply has been taken, or the request given up after kReplyLimitTicks
// and kLateReplyTicks more in which a late reply is dropped.
// A tick that brings more frames than requests awaiting them (frames nobody
// asked for, a late reply beside another) cannot tell which is the answer: its
// frames, and any others before the limit, are dropped and the request is asked
// again. Where replies come within the tick the cadence is the protocol's own;
// where they come later, each exchange takes the ticks its reply needs.
class PollLoop final : public QObject {
    Q_OBJECT

public:
    PollLoop(DeviceReadings& readings, PollControl& control, TProtokol& protokol,
             SerialLink& serial);

    // Starts a port search: COM1..COM8, or COM1..COM64 when `portSearch` is not 0.
    void StartSearch(int portSearch);
    // The Timer2 tick. A tick raised while another is still running (a message box
    // of the running tick lets the timer fire again) is suppressed.
    void Timer2Timer();
    // The TimerZad tick: opens the next port of the search.
    void TimerZadTimer();

    // The port number last passed to the port's Open.
    int CurrentPort() const { return currentPort_; }

    // The gate of the operator's commands (CommandRefusal): false, after the
    // notice, when a command may not go.
    bool PassCommandGate();
    // The zero command: through the gate, then pending until phase 9.
    void ZeroCommand();
    // A command the gate has let through.
    void SetPendingRequest(PendingRequest request);

    const ExchangeCounts& Counts() const { return counts_; }

    // Whether the records go out at the end of every tick (the default: the
    // recording writes every reading, and tests look at each tick), or only
    // every kHandOverTicks ticks. Records always go out before a signal that
    // stems from them, and at the tick's end when the state, the link's loss,
    // the collecting, the pending request or the instrument's state changed.
    // Switched to every tick, the records go out at once.
    void SetRecordsEveryTick(bool everyTick);

signals:
    // What the instrument reported and the loop's control, as they are now: sent
    // before every signal below that stems from them and at the end of each tick,
    // so a listener in another thread holds a copy that is never behind (see
    // SetRecordsEveryTick). At a tick's end `readingsRefreshed` says the live
    // values were refreshed since the last records that said so: one hand-over a
    // tick at most, so the window's thread wakes once for it.
    void recordsChanged(const DeviceReadings& readings, const PollControl& control,
                        bool readingsRefreshed);
    // A notice for the operator (the port search found nothing, the ring overflowed,
    // a command refused); the loop goes on.
    void notice(const QString& text);
    // Timer2, the 20 ms poll tick, is to run or to stop.
    void pollTimerChanged(bool running);
    // TimerZad, the 650 ms one-shot delay before the next port is opened, is to start.
    void portDelayStarted();
    void portLineChanged(const QString& text);  // Label1
    // The port search found the instrument: its designation and firmware version.
    void instrumentIdentified(const QString& designation, const QString& firmware);
    // The instrument's mode, or the loss of the link (Label2), and whether it shows
    // in red: the link is lost.
    void modeLineChanged(const QString& text);
    void linkLostShown(bool lost);
    void gaugeChanged(int value);  // Gauge1: the search's progress, then the test's

    // While a test is followed. The instrument began a test by itself (the start
    // command is already pending); `kind` is MaxSpeedTest or FreeAccelTest.
    void instrumentStartedTest(PollState kind);
    // Free acceleration: the progress rose above `oldProgress`.
    void measurementCaptionDue(uint8_t oldProgress);
    // Free acceleration: one sample, after a speed reply or on a tick the opacity
    // reply is awaited.
    void freeAccelSampleDue(SampleValues values);
    // Maximum speed: one point, after an opacity reply or on an awaited tick.
    void maxSpeedPointDue();
    // The instrument's result of the test `kind`.
    void resultArrived(TestKind kind, int32_t validity, int32_t meanX10);

private:
    void Tick();
    void ReceiveFrames();
    bool TakeIdentifyReply();
    bool TakeAnswer();
    void HandleAnswer(uint8_t request);
    void HandlePollingAnswer(uint8_t request);
    void HandleMaxSpeedAnswer(uint8_t request);
    void HandleFreeAccelAnswer(uint8_t request);
    void HandleResultAnswer(uint8_t request);
    void TakeStatusStateAndMode();
    void EnterTestState();
    void EndTest(TestKind kind);
    void HeldValueSteps();
    bool StillAwaiting();
    void ResultSteps();
    void RefreshModeAndReadings();
    bool ReportsEndedTest() const;
    void PollingStep();
    void SearchStep();
    void ForgetInstrument();
    void Publish(bool readingsRefreshed = false);
    // The tick's end: the records go out if they must (SetRecordsEveryTick).
    void HandOverAtTickEnd();

    void SearchNextPort();
    void TryPort();
    void OpenSearchPort();
    void ReportNotFound();
    void ReportLinkLost();

    // Sends `code` and awaits its reply.
    void Ask(uint8_t code);
    void ShowGauge(int value);

    DeviceReadings& readings_;
    PollControl& control_;
    TProtokol& protokol_;
    SerialLink& serial_;

    int currentPort_ = 1;
    std::vector<uint8_t> readBuffer_;  // kept between ticks; it only grows
    std::vector<FrameData> frames_;    // the frames accepted in this tick
    ExchangeCounts counts_;
    bool inTick_ = false;
    bool overflowShown_ = false;  // "Буфер переполнен" shown since the port opened or polling began
    QString shownMode_;               // the mode line last sent to the window
    int shownGauge_ = -1;             // the gauge's value last sent to the window
    bool accessDenied_ = false;       // a port of this search refused us for lack of permission
    bool accessAdviceGiven_ = false;  // the advice on the group "dialout" was given this run
    bool readingsDue_ = false;        // a refresh happened that no records have said yet
    bool recordsEveryTick_ = true;
    int ticksSinceRecords_ = 0;    // ticks ended since a tick's end last sent the records
    PollControl sentControl_;      // the control as the records last carried it
    uint8_t sentDeviceState_ = 0;  // and the instrument's state (the command gate reads both)
};

}  // namespace kelvaron
