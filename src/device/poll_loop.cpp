#include "poll_loop.h"

#include <cmath>
#include <vector>

namespace kelvaron {

using namespace poll_timing;

namespace {

const QString kNotFoundText = QStringLiteral(
    "Устройство не обнаружено! Присоедините кабель,включите устройство и нажмите кнопку "
    "\"Связь\"");
const QString kOverflowText = QStringLiteral("Буфер переполнен");
const QString kLinkLostText = QStringLiteral("СВЯЗЬ ПРЕРВАНА.");
const QString kNotConnectedText = QStringLiteral("Не подключен");
const QString kNoLinkText = QStringLiteral("Связь не установлена");
const QString kSettingUpText = QStringLiteral("Идет настройка прибора");
constexpr uint8_t kStateReady = 1, kStateMeasuring = 2, kStateSettingUp = 4;
constexpr uint8_t kModeFreeAccel = 2, kModeMaxSpeed = 3;

// Clears a flag when the scope ends, however it ends.
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& flag_;
};

}  // namespace

QString PortLineOpened(int port) { return QStringLiteral("Порт:  COM%1").arg(port); }

QString PortLineIdentified(int port, const DeviceReadings& r) {
    return PortLineOpened(port) + QStringLiteral("  Торвелан Д %1 - %2 верс: %3.%4")
                                      .arg(r.D3())
                                      .arg(r.D4())
                                      .arg(r.D5() / 16)
                                      .arg(r.D5() % 16);
}

QString ModeLine(uint8_t deviceState, uint8_t deviceMode) {
    if (deviceState == kStateSettingUp) return QStringLiteral("Настройка прибора");
    switch (deviceMode) {
        case 0:
            return QStringLiteral("Прибор работает нормально");
        case 1:
            return QStringLiteral("Установка нуля");
        case 2:
            return QStringLiteral("Измерение на свободных ускорениях");
        case 3:
            return QStringLiteral("Измерение на максимальных оборотах");
        default:
            return {};
    }
}

PollLoop::PollLoop(DeviceReadings& readings, PollControl& control, TProtokol& protokol,
                   SerialLink& serial, PollHost& host)
    : readings_(readings), control_(control), protokol_(protokol), serial_(serial), host_(host) {}

// ---- The port search ----

void PollLoop::StartSearch(int portSearch) {
    control_.searchAttempts = 0;
    control_.searchProgress = 0;
    control_.searching = true;
    control_.state = PollState::Searching;
    control_.silentTicks = 0;
    host_.SetStatusLineRed(false);
    control_.linkLost = false;
    control_.searchLimit = portSearch == 0 ? kPortsDefault : kPortsAll;
    control_.searchStep = static_cast<int32_t>(std::lround(100.0 / (2.0 * control_.searchLimit)));
    SearchNextPort();
}

void PollLoop::SearchNextPort() {
    control_.identSends = 0;
    control_.identTicks = 0;
    while (control_.searchAttempts < 2 * control_.searchLimit + 1) {
        ++control_.searchAttempts;
        control_.searchPort =
            control_.searchPort < control_.searchLimit ? control_.searchPort + 1 : 1;
        if (control_.searchProgress < 100) control_.searchProgress += control_.searchStep;
        host_.SetGauge(control_.searchProgress);
        TryPort();
        if (control_.lastOpenOk) return;  // the search goes on in the ticks
    }
    control_.searching = false;
    host_.SetGauge(0);
    control_.searchProgress = 0;
    control_.state = PollState::Disconnected;
    ReportNotFound();
}

void PollLoop::TryPort() {
    host_.SetPollTimerEnabled(false);
    if (control_.lastOpenOk) {
        // Give the instrument on the closed port time to let go before the next open;
        // lastOpenOk stays true until then, so SearchNextPort stops here.
        serial_.Close();
        host_.StartDelayTimer();
    } else {
        OpenSearchPort();
    }
}

void PollLoop::TimerZadTimer() { OpenSearchPort(); }

void PollLoop::OpenSearchPort() {
    currentPort_ = control_.searchPort;
    control_.lastOpenOk = serial_.Open(control_.searchPort, kBaud);
    overflowShown_ = false;
    host_.ShowPortLine(control_.lastOpenOk ? PortLineOpened(currentPort_) : kNotConnectedText);
    control_.identSends = 0;
    control_.identTicks = 0;
    // Also after a failed open: the identify periods then run on the closed port
    // and move on to the next port when they are used up.
    host_.SetPollTimerEnabled(true);
}

void PollLoop::ReportNotFound() {
    host_.SetPollTimerEnabled(false);
    host_.Notify(kNotFoundText);
}

void PollLoop::ReportLinkLost() {
    host_.SetPollTimerEnabled(false);
    control_.linkLost = true;
    host_.SetStatusLineRed(true);
    host_.ShowStatusLine(kLinkLostText);
}

// ---- The tick ----

void PollLoop::Timer2Timer() {
    if (inTick_) return;
    Guard running(inTick_);
    try {
        Tick();
    } catch (...) {
        // A failing step ends the tick; the next tick runs normally.
    }
}

void PollLoop::Tick() {
    const int waiting = serial_.BytesWaiting();
    if (waiting > 0) {
        ReceiveBytes(waiting);
        control_.silentTicks = 0;
    } else if (control_.state > PollState::Searching) {
        ++control_.silentTicks;
        if (control_.silentTicks >= kSilenceLimitTicks) {
            ReportLinkLost();
            return;  // the link is lost: nothing more is sent
        }
        TestSilenceSteps();
    }

    if (control_.state == PollState::Polling) PollingStep();
    ResultSteps();
    if (control_.searching) SearchStep();
}

void PollLoop::ReceiveBytes(int waiting) {
    const uint16_t max = static_cast<uint16_t>(std::min(waiting, 0xFFFF));
    // The buffer is kept between ticks; it only grows.
    if (readBuffer_.size() < static_cast<size_t>(max) + 1)
        readBuffer_.resize(static_cast<size_t>(max) + 1);
    const int got = serial_.Read(readBuffer_.data(), max);

    for (int i = 0; i < got; ++i) {
        // A byte the full ring refuses is lost. The notice comes once per port a
        // search opens and once per polling session: a device that streams would
        // otherwise raise a modal box every tick.
        if (!protokol_.Push(readBuffer_[static_cast<size_t>(i)]) && !overflowShown_) {
            overflowShown_ = true;
            host_.Notify(kOverflowText);
        }
    }

    // While searching, any frame may be the identify reply. Otherwise one request
    // is outstanding when the tick starts, and the newest frame is its answer:
    // frames before it in the same tick are late replies to requests already
    // answered or given up. Reading every frame in turn, each as the answer to
    // the request the frame before it had just sent, read a late opacity reply
    // followed by the status reply the wrong way round.
    FrameData newest{};
    bool answered = false;
    while (protokol_.NextFrame(readings_.frame)) {
        if (control_.state == PollState::Searching) {
            HandleFrame();
        } else {
            newest = readings_.frame;
            answered = true;
        }
    }
    if (answered) {
        readings_.frame = newest;
        HandleFrame();
    }
}

void PollLoop::HandleFrame() {
    switch (control_.state) {
        case PollState::Searching:
            HandleSearchingFrame();
            break;
        case PollState::Polling:
            HandlePollingFrame();
            break;
        case PollState::MaxSpeedTest:
            HandleMaxSpeedFrame();
            break;
        case PollState::FreeAccelTest:
            HandleFreeAccelFrame();
            break;
        case PollState::ResultRequest:
            HandleResultFrame();
            break;
        case PollState::Disconnected:
        case PollState::ResultDelay:
            break;
    }
}

void PollLoop::HandleSearchingFrame() {
    if (readings_.D2() != kIdentifyReplyMark) return;
    control_.searching = false;
    host_.SetGauge(0);
    control_.searchProgress = 0;
    control_.state = PollState::Polling;
    control_.phase = 0;
    overflowShown_ = false;  // a new polling session
    host_.ShowPortLine(PortLineIdentified(currentPort_, readings_));
}

void PollLoop::HandlePollingFrame() {
    // Replies are expected on phases 1 to 6; on 0, 7, 8 and 9 a frame (a late
    // reply, or the answer to a command sent at phase 9) is ignored.
    const int phase = control_.phase;
    if (phase < 1 || phase > 6) return;
    // A reply carries no type: it answers the request sent last. A reply that
    // comes a tick late is so still read as what it is, and a late status reply
    // is never shown as an opacity of 0.
    if (lastRequest_ == request::kStatus) {
        readings_.deviceState = readings_.D1();
        readings_.deviceMode = readings_.D2();
        readings_.progress = readings_.D3();
        if (control_.startAwaited)
            EnterTestState();
        else
            Send(request::kOpacity);
    } else if (lastRequest_ == request::kOpacity) {
        readings_.opacityX10 = HexDigits3(readings_, 2);
        Send(request::kOpacity);
    }
}

void PollLoop::EnterTestState() {
    control_.startAwaited = false;
    control_.phase = 0;
    control_.state = control_.pendingRequest == kPendingMaxSpeed ? PollState::MaxSpeedTest
                                                                 : PollState::FreeAccelTest;
    control_.pendingRequest = 0;
    Send(request::kStatus);
}

void PollLoop::PollingStep() {
    const int phase = control_.phase;
    if (phase == 0) Send(request::kStatus);
    if (phase < 8) RefreshModeAndReadings();
    if (phase == 9) {
        const int pending = control_.pendingRequest;
        // Each pending request is sent as the command of the same number.
        if (pending >= kPendingZero && pending <= kPendingMaxSpeed)
            Send(static_cast<uint8_t>(pending));
        if (pending == kPendingFreeAccel || pending == kPendingMaxSpeed)
            control_.startAwaited = true;  // the request stays set for the test state
        else
            control_.pendingRequest = 0;
    }
    control_.phase = phase >= kPollingCycleTicks - 1 ? 0 : phase + 1;
}

// ---- The tests ----

bool PollLoop::PassCommandGate() {
    if (control_.state < PollState::Polling || control_.linkLost) {
        host_.Notify(kNoLinkText);
        return false;
    }
    if (readings_.deviceState != kStateReady) {
        host_.Notify(kSettingUpText);
        return false;
    }
    return true;
}

void PollLoop::ZeroCommand() {
    if (PassCommandGate()) control_.pendingRequest = kPendingZero;
}

void PollLoop::RefreshModeAndReadings() {
    const QString mode = ModeLine(readings_.deviceState, readings_.deviceMode);
    if (!mode.isEmpty()) host_.ShowStatusLine(mode);

    // A test the instrument began by itself is followed like one the operator started.
    if (control_.state == PollState::Polling && readings_.deviceState == kStateMeasuring) {
        if (readings_.deviceMode == kModeMaxSpeed) {
            control_.pendingRequest = kPendingMaxSpeed;
            if (events_) events_->InstrumentStartedTest(PollState::MaxSpeedTest);
        } else if (readings_.deviceMode == kModeFreeAccel) {
            control_.pendingRequest = kPendingFreeAccel;
            if (events_) events_->InstrumentStartedTest(PollState::FreeAccelTest);
        }
    }
    host_.RefreshReadings();
    host_.SetGauge(readings_.progress);
}

void PollLoop::EndTest(int finishedKind) {
    control_.state = PollState::ResultDelay;
    control_.phase = 0;
    control_.collecting = false;
    control_.finishedKind = finishedKind;
}

void PollLoop::HandleMaxSpeedFrame() {
    if (control_.phase == 0) {  // status reply
        readings_.deviceState = readings_.D1();
        readings_.deviceMode = readings_.D2();
        readings_.progress = readings_.D3();
        if (readings_.progress > 0) control_.collecting = true;
        if (readings_.progress < kMaxSpeedDone) {
            Send(request::kOpacity);
            control_.phase = 1;
        } else {
            EndTest(kFinishedMaxSpeed);
        }
    } else if (control_.phase == 1) {  // opacity reply
        readings_.opacityX10 = HexDigits3(readings_, 2);
        Send(request::kStatus);
        control_.phase = 0;
        if (events_) events_->AddMaxSpeedTrendPoint();
        RefreshModeAndReadings();
    }
}

void PollLoop::HandleFreeAccelFrame() {
    switch (control_.phase) {
        case 0: {  // status reply
            readings_.deviceState = readings_.D1();
            readings_.deviceMode = readings_.D2();
            const uint8_t progress = readings_.D3();
            if (progress > readings_.progress && events_)
                events_->ShowMeasurementCaption(readings_.progress);
            readings_.progress = progress;
            if (progress > 0) control_.collecting = true;
            if (progress <= kFreeAccelLastSample) {
                Send(request::kOpacity);
                control_.phase = 1;
            } else {
                EndTest(kFinishedFreeAccel);
            }
            break;
        }
        case 1:  // opacity reply
            readings_.opacityX10 = HexDigits3(readings_, 2);
            Send(request::kEngineSpeed);
            control_.phase = 2;
            break;
        case 2:  // engine-speed reply
            readings_.engineSpeed = HexDigits4(readings_, 2);
            Send(request::kStatus);
            control_.phase = 0;
            if (events_) events_->AddFreeAccelSample();
            RefreshModeAndReadings();
            break;
        default:
            break;
    }
}

void PollLoop::HandleResultFrame() {
    if (!control_.shortResults && readings_.D1() >= 3) {
        // The instrument knows only the short result requests: use them from now on.
        control_.shortResults = true;
        return;
    }
    int32_t validity = 0, mean = 0;
    if (control_.shortResults) {
        mean = HexDigits3(readings_, 2);
    } else {
        validity = readings_.D2();
        mean = HexDigits3(readings_, 3);
    }
    const int kind = control_.finishedKind;
    control_.finishedKind = 0;
    control_.state = PollState::Polling;
    control_.phase = 0;  // this tick's polling step asks for the status
    if (events_) events_->ResultArrived(kind, validity, mean);
}

void PollLoop::TestSilenceSteps() {
    const bool maxSpeed = control_.state == PollState::MaxSpeedTest;
    const bool freeAccel = control_.state == PollState::FreeAccelTest;
    // While a reply is awaited the chart goes on with the values held.
    if (freeAccel && control_.phase == 1 && events_) events_->AddFreeAccelSample();
    if (maxSpeed && control_.phase == 1 && events_) events_->AddMaxSpeedTrendPoint();
    // After 5, 10 and 15 silent ticks the status is asked again (20 lose the link).
    if ((maxSpeed || freeAccel) && control_.silentTicks % kStatusRetryTicks == 0) {
        control_.phase = 0;
        Send(request::kStatus);
    }
}

void PollLoop::ResultSteps() {
    if (control_.state == PollState::ResultDelay) {
        if (control_.phase >= kResultDelayTicks) {
            control_.phase = 0;
            control_.state = PollState::ResultRequest;
        } else {
            ++control_.phase;
        }
    }
    if (control_.state == PollState::ResultRequest) {
        control_.phase = control_.phase == 0 ? 1 : 0;
        const bool freeAccel = control_.finishedKind == kFinishedFreeAccel;
        if (control_.shortResults)
            Send(freeAccel ? request::kFreeAccelResultShort : request::kMaxSpeedResultShort);
        else
            Send(freeAccel ? request::kFreeAccelResult : request::kMaxSpeedResult);
    }
}

void PollLoop::SearchStep() {
    if (control_.identTicks < kIdentPeriodTicks - 1) {
        ++control_.identTicks;
        return;
    }
    control_.identTicks = 0;
    if (control_.identSends < kIdentRequestsPerPort) {
        ++control_.identSends;
        Send(request::kIdentify);
    } else {
        SearchNextPort();
    }
}

}  // namespace kelvaron
