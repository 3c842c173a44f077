#include "device/poll_loop.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

namespace kelvaron {

using namespace poll_timing;

namespace {

const QString kNotFoundText = QStringLiteral(
    "Устройство не обнаружено! Присоедините кабель,включите устройство и нажмите кнопку "
    "\"Связь\"");
// Said once a run, after the search, when a port was there but might not be
// opened: on Linux the serial ports belong to the group "dialout".
const QString kPortAccessText = QStringLiteral(
    "Нет доступа к последовательному порту. Добавьте пользователя в группу dialout "
    "(sudo usermod -aG dialout имя_пользователя) и войдите в систему заново.");
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

QString InstrumentDesignation(const DeviceReadings& r) {
    return QStringLiteral("Торвелан Д %1 - %2").arg(r.D3()).arg(r.D4());
}

QString FirmwareVersion(const DeviceReadings& r) {
    return QStringLiteral("%1.%2").arg(r.D5() / 16).arg(r.D5() % 16);
}

QString PortLineIdentified(int port, const DeviceReadings& r) {
    return PortLineOpened(port) + QStringLiteral("  ") + InstrumentDesignation(r) +
           QStringLiteral(" верс: ") + FirmwareVersion(r);
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

bool IsEchoedRequest(const FrameData& frame) {
    return frame[1] == TProtokol::kMarker && frame[2] == (frame[0] ^ 0x0F) &&
           frame[3] == TProtokol::kStart;
}

namespace {

// Whether D(first)..D(first + count - 1) are all hexadecimal digits.
bool Digits(const FrameData& d, int first, int count) {
    for (int i = first; i < first + count; ++i)
        if (d[static_cast<size_t>(i - 1)] > 0x0F) return false;
    return true;
}

}  // namespace

bool CanAnswer(uint8_t request, const FrameData& reply) {
    switch (request) {
        case request::kOpacity:
        case request::kFreeAccelResultShort:
        case request::kMaxSpeedResultShort:
            return Digits(reply, 2, 3);
        case request::kEngineSpeed:
            return Digits(reply, 2, 4);
        case request::kFreeAccelResult:
        case request::kMaxSpeedResult:
            return reply[0] >= 3 || Digits(reply, 3, 3);  // D1 of 3 and above: not supported
        default:
            return true;
    }
}

PollLoop::PollLoop(DeviceReadings& readings, PollControl& control, TProtokol& protokol,
                   SerialLink& serial)
    : readings_(readings), control_(control), protokol_(protokol), serial_(serial) {}

void PollLoop::Ask(uint8_t code) {
    serial_.SendCommand(code);
    control_.awaitedRequest = code;
    control_.awaitedTicks = 0;
    control_.awaitedSpoiled = false;
}

// ---- The port search ----

void PollLoop::StartSearch(int portSearch) {
    ForgetInstrument();
    control_.searchAttempts = 0;
    control_.searchProgress = 0;
    control_.searching = true;
    accessDenied_ = false;
    control_.state = PollState::Searching;
    control_.silentTicks = 0;
    emit linkLostShown(false);
    control_.linkLost = false;
    control_.searchLimit = portSearch == 0 ? kPortsDefault : kPortsAll;
    control_.searchStep = static_cast<int32_t>(std::lround(100.0 / (2.0 * control_.searchLimit)));
    SearchNextPort();
    Publish();
}

void PollLoop::ForgetInstrument() {
    // A new search starts from nothing: what the instrument reported before and
    // the test the loop followed never act after it. That test stays on screen as
    // it was; an instrument still running it is not taken for one it started anew.
    uint8_t followedMode = 0;
    switch (control_.state) {
        case PollState::FreeAccelTest:
            followedMode = kModeFreeAccel;
            break;
        case PollState::MaxSpeedTest:
            followedMode = kModeMaxSpeed;
            break;
        case PollState::ResultDelay:
        case PollState::ResultRequest:
            followedMode =
                control_.finishedKind == TestKind::FreeAccel ? kModeFreeAccel : kModeMaxSpeed;
            break;
        case PollState::Polling:
            if (control_.pendingRequest == PendingRequest::FreeAccel) followedMode = kModeFreeAccel;
            if (control_.pendingRequest == PendingRequest::MaxSpeed) followedMode = kModeMaxSpeed;
            break;
        case PollState::Disconnected:
        case PollState::Searching:
            break;
    }
    if (followedMode != 0) {
        control_.endedTestMode = followedMode;
        control_.endedTestProgress = readings_.progress;
    }
    readings_ = DeviceReadings{};
    protokol_ = TProtokol{};  // nor a frame half received from the port before
    control_.phase = 0;
    control_.pendingRequest = PendingRequest::None;
    control_.startAwaited = false;
    control_.finishedKind = TestKind::None;
    control_.collecting = false;
    control_.awaitedRequest = 0;
    control_.awaitedTicks = 0;
    control_.awaitedSpoiled = false;
}

void PollLoop::SearchNextPort() {
    control_.identSends = 0;
    control_.identTicks = 0;
    while (control_.searchAttempts < 2 * control_.searchLimit + 1) {
        ++control_.searchAttempts;
        control_.searchPort =
            control_.searchPort < control_.searchLimit ? control_.searchPort + 1 : 1;
        if (control_.searchProgress < 100) control_.searchProgress += control_.searchStep;
        ShowGauge(control_.searchProgress);
        TryPort();
        if (control_.lastOpenOk) return;  // the search goes on in the ticks
    }
    control_.searching = false;
    ShowGauge(0);
    control_.searchProgress = 0;
    control_.state = PollState::Disconnected;
    ReportNotFound();
}

void PollLoop::TryPort() {
    emit pollTimerChanged(false);
    if (control_.lastOpenOk) {
        // Give the instrument on the closed port time to let go before the next open;
        // lastOpenOk stays true until then, so SearchNextPort stops here.
        serial_.Close();
        emit portDelayStarted();
    } else {
        OpenSearchPort();
    }
}

void PollLoop::TimerZadTimer() {
    OpenSearchPort();
    Publish();
}

void PollLoop::OpenSearchPort() {
    currentPort_ = control_.searchPort;
    control_.lastOpenOk = serial_.Open(control_.searchPort, kBaud);
    if (!control_.lastOpenOk && serial_.OpenDenied()) accessDenied_ = true;
    overflowShown_ = false;
    emit portLineChanged(control_.lastOpenOk ? PortLineOpened(currentPort_) : kNotConnectedText);
    control_.identSends = 0;
    control_.identTicks = 0;
    // Also after a failed open: the identify periods then run on the closed port
    // and move on to the next port when they are used up.
    emit pollTimerChanged(true);
}

void PollLoop::ReportNotFound() {
    emit pollTimerChanged(false);
    if (accessDenied_ && !accessAdviceGiven_) {
        accessAdviceGiven_ = true;
        emit notice(kNotFoundText + QStringLiteral("\n\n") + kPortAccessText);
    } else {
        emit notice(kNotFoundText);
    }
}

void PollLoop::ReportLinkLost() {
    emit pollTimerChanged(false);
    control_.linkLost = true;
    emit linkLostShown(true);
    shownMode_ = kLinkLostText;
    emit modeLineChanged(kLinkLostText);
}

// ---- The tick ----

void PollLoop::Timer2Timer() {
    if (inTick_) return;
    Guard running(inTick_);
    try {
        ++control_.ticks;
        Tick();
        HandOverAtTickEnd();
    } catch (const std::exception& e) {
        // A failing step ends the tick; the next tick runs normally.
        qWarning("poll tick ended by a fault: %s", e.what());
    } catch (...) {
        qWarning("poll tick ended by a fault");
    }
}

void PollLoop::Tick() {
    ReceiveFrames();
    const bool searching = control_.state == PollState::Searching;
    const bool answered = searching ? TakeIdentifyReply() : TakeAnswer();
    if (answered) {
        control_.silentTicks = 0;
    } else if (control_.state > PollState::Searching) {
        // Silent: no valid reply, whether nothing came or only noise, echoes or
        // frames that could not be told from one.
        ++control_.silentTicks;
        if (control_.silentTicks >= kSilenceLimitTicks) {
            ReportLinkLost();
            return;  // the link is lost: nothing more is sent
        }
        HeldValueSteps();
        if (StillAwaiting()) return;  // nothing else leaves while a reply is awaited
    }

    if (control_.state == PollState::Polling) PollingStep();
    ResultSteps();
    if (control_.searching) SearchStep();
}

void PollLoop::ReceiveFrames() {
    frames_.clear();
    const int waiting = serial_.BytesWaiting();
    if (waiting <= 0) return;
    const uint16_t max = static_cast<uint16_t>(std::min(waiting, 0xFFFF));
    if (readBuffer_.size() < static_cast<size_t>(max) + 1)
        readBuffer_.resize(static_cast<size_t>(max) + 1);
    const int got = serial_.Read(readBuffer_.data(), max);

    for (int i = 0; i < got; ++i) {
        // A byte the full ring refuses is lost. The notice comes once per port a
        // search opens and once per polling session: a device that streams would
        // otherwise raise a modal box every tick.
        if (!protokol_.Push(readBuffer_[static_cast<size_t>(i)]) && !overflowShown_) {
            overflowShown_ = true;
            emit notice(kOverflowText);
        }
    }
    FrameData frame{};
    while (protokol_.NextFrame(frame)) frames_.push_back(frame);
}

bool PollLoop::TakeIdentifyReply() {
    // The identify reply names itself; any other frame is ignored while searching.
    for (const FrameData& frame : frames_) {
        if (frame[1] != kIdentifyReplyMark) continue;
        readings_.frame = frame;
        control_.searching = false;
        ShowGauge(0);
        control_.searchProgress = 0;
        control_.state = PollState::Polling;
        control_.phase = 0;
        overflowShown_ = false;  // a new polling session
        emit portLineChanged(PortLineIdentified(currentPort_, readings_));
        emit instrumentIdentified(InstrumentDesignation(readings_), FirmwareVersion(readings_));
        return true;
    }
    return false;
}

bool PollLoop::TakeAnswer() {
    // Our own requests coming back are no replies at all.
    const auto echoes = std::remove_if(frames_.begin(), frames_.end(), IsEchoedRequest);
    counts_.framesDropped += frames_.end() - echoes;
    frames_.erase(echoes, frames_.end());
    if (frames_.empty()) return false;

    const uint8_t request = control_.awaitedRequest;
    const bool one = frames_.size() == 1;
    if (request == 0 || control_.awaitedSpoiled || !one || !CanAnswer(request, frames_[0])) {
        // Nobody asked, or the answer cannot be told among the frames: all are
        // dropped, and the request awaited is asked again once its limit is up,
        // when its own reply can no longer come behind.
        counts_.framesDropped += static_cast<int64_t>(frames_.size());
        if (request != 0) control_.awaitedSpoiled = true;
        return false;
    }
    control_.awaitedRequest = 0;
    readings_.frame = frames_[0];
    ++counts_.repliesTaken;
    ++counts_.takenByRequest[std::min<size_t>(request, counts_.takenByRequest.size() - 1)];
    counts_.answerDigest = ExchangeDigest(counts_.answerDigest, request, readings_.frame);
    HandleAnswer(request);
    return true;
}

void PollLoop::HandleAnswer(uint8_t request) {
    switch (control_.state) {
        case PollState::Polling:
            HandlePollingAnswer(request);
            break;
        case PollState::MaxSpeedTest:
            HandleMaxSpeedAnswer(request);
            break;
        case PollState::FreeAccelTest:
            HandleFreeAccelAnswer(request);
            break;
        case PollState::ResultRequest:
            HandleResultAnswer(request);
            break;
        case PollState::Disconnected:
        case PollState::Searching:
        case PollState::ResultDelay:
            break;
    }
}

bool PollLoop::StillAwaiting() {
    const uint8_t request = control_.awaitedRequest;
    if (request == 0) return false;
    ++control_.awaitedTicks;
    if (control_.awaitedTicks < kReplyLimitTicks) return true;
    // Given up: no reply within the limit, or none that could be told. A reply
    // still on its way is dropped, so it is never read as the answer to the next.
    if (control_.awaitedTicks == kReplyLimitTicks) ++counts_.requestsGivenUp;
    control_.awaitedSpoiled = true;
    if (control_.awaitedTicks < kReplyLimitTicks + kLateReplyTicks) return true;
    control_.awaitedRequest = 0;
    const bool sixthOpacity = control_.state == PollState::Polling && control_.phase == 7;
    switch (request) {
        case request::kStatus:
        case request::kOpacity:
        case request::kEngineSpeed:
            if (sixthOpacity) return false;  // its reply would not be read
            // Asked again, so a sample whose reply was lost or spoiled is completed.
            Ask(request);
            return true;
        default:
            // A zero or start command is not sent twice: the status shows what the
            // instrument made of it. A result request leaves again below.
            return false;
    }
}

void PollLoop::TakeStatusStateAndMode() {
    readings_.deviceState = readings_.D1();
    readings_.deviceMode = readings_.D2();
    if (readings_.deviceState != kStateMeasuring) control_.endedTestMode = 0;
}

void PollLoop::HandlePollingAnswer(uint8_t request) {
    switch (request) {
        case request::kStatus:
            TakeStatusStateAndMode();
            readings_.progress = readings_.D3();
            if (control_.startAwaited)
                EnterTestState();
            else
                Ask(request::kOpacity);
            break;
        case request::kOpacity:
            // The replies to the opacity requests of phases 1 to 5 are read, each
            // followed by the next request; the sixth, answered at phase 7, opens
            // the quiet ticks of the cycle and is not read.
            if (control_.phase >= 2 && control_.phase <= 6) {
                readings_.opacityX10 = HexDigits3(readings_, 2);
                Ask(request::kOpacity);
            }
            break;
        default:
            break;  // the reply to a zero or start command: the status tells the rest
    }
}

void PollLoop::EnterTestState() {
    control_.startAwaited = false;
    control_.phase = 0;
    control_.state = control_.pendingRequest == PendingRequest::MaxSpeed ? PollState::MaxSpeedTest
                                                                         : PollState::FreeAccelTest;
    control_.pendingRequest = PendingRequest::None;
    Ask(request::kStatus);
}

void PollLoop::PollingStep() {
    const int phase = control_.phase;
    if (phase == 0) Ask(request::kStatus);
    if (phase < 8) RefreshModeAndReadings();
    if (phase == 9) {
        const PendingRequest pending = control_.pendingRequest;
        // Each pending request is sent as the command of the same number.
        if (pending != PendingRequest::None) Ask(static_cast<uint8_t>(pending));
        if (pending == PendingRequest::FreeAccel || pending == PendingRequest::MaxSpeed)
            control_.startAwaited = true;  // the request stays set for the test state
        else
            control_.pendingRequest = PendingRequest::None;
    }
    control_.phase = phase >= kPollingCycleTicks - 1 ? 0 : phase + 1;
}

// ---- The tests ----

QString CommandRefusal(const PollControl& control, const DeviceReadings& readings) {
    if (control.state < PollState::Polling || control.linkLost) return kNoLinkText;
    if (readings.deviceState != kStateReady) return kSettingUpText;
    return {};
}

bool PollLoop::PassCommandGate() {
    const QString refusal = CommandRefusal(control_, readings_);
    if (!refusal.isEmpty()) emit notice(refusal);
    return refusal.isEmpty();
}

void PollLoop::ZeroCommand() {
    if (PassCommandGate()) SetPendingRequest(PendingRequest::Zero);
}

void PollLoop::SetPendingRequest(PendingRequest request) {
    control_.pendingRequest = request;
    Publish();
}

void PollLoop::Publish(bool readingsRefreshed) {
    sentControl_ = control_;
    sentDeviceState_ = readings_.deviceState;
    emit recordsChanged(readings_, control_, readingsRefreshed);
}

void PollLoop::SetRecordsEveryTick(bool everyTick) {
    if (everyTick && !recordsEveryTick_) Publish(std::exchange(readingsDue_, false));
    recordsEveryTick_ = everyTick;
}

void PollLoop::HandOverAtTickEnd() {
    // Counted from the last tick's end that sent them: records sent before an
    // event do not say the refresh, so they do not put the frame off.
    ++ticksSinceRecords_;
    const PollControl& sent = sentControl_;
    const bool stateChanged =
        control_.state != sent.state || control_.linkLost != sent.linkLost ||
        control_.collecting != sent.collecting || control_.pendingRequest != sent.pendingRequest ||
        control_.searching != sent.searching || readings_.deviceState != sentDeviceState_;
    if (recordsEveryTick_ || stateChanged || ticksSinceRecords_ >= kHandOverTicks) {
        ticksSinceRecords_ = 0;
        Publish(std::exchange(readingsDue_, false));
    }
}

void PollLoop::ShowGauge(int value) {
    // The gauge's value crosses threads only when it changes.
    if (value == shownGauge_) return;
    shownGauge_ = value;
    emit gaugeChanged(value);
}

bool PollLoop::ReportsEndedTest() const {
    // A progress below the ended test's last one begins a new sequence.
    return readings_.deviceMode == control_.endedTestMode &&
           readings_.progress >= control_.endedTestProgress;
}

void PollLoop::RefreshModeAndReadings() {
    // The mode line goes to the window when it changes and once a polling cycle
    // (a notice in the status line stands until then), not at every refresh.
    const QString mode = ModeLine(readings_.deviceState, readings_.deviceMode);
    if (!mode.isEmpty() && (mode != shownMode_ || control_.phase == 0)) {
        shownMode_ = mode;
        emit modeLineChanged(mode);
    }

    // A test the instrument began by itself is followed like one the operator started.
    // It is announced once: the refreshes until the start request goes out see the
    // same start (and the announcement may ask the operator a question).
    if (control_.state == PollState::Polling && readings_.deviceState == kStateMeasuring &&
        !ReportsEndedTest()) {
        const auto follow = [this](PendingRequest pending, PollState kind) {
            control_.endedTestMode = 0;
            if (control_.pendingRequest == pending) return;
            control_.pendingRequest = pending;
            Publish();
            emit instrumentStartedTest(kind);
        };
        if (readings_.deviceMode == kModeMaxSpeed)
            follow(PendingRequest::MaxSpeed, PollState::MaxSpeedTest);
        else if (readings_.deviceMode == kModeFreeAccel)
            follow(PendingRequest::FreeAccel, PollState::FreeAccelTest);
    }
    // The window refreshes its readings from the next records that go out at a tick's end.
    readingsDue_ = true;
    ShowGauge(readings_.progress);
}

void PollLoop::EndTest(TestKind kind) {
    control_.state = PollState::ResultDelay;
    control_.phase = 0;
    control_.collecting = false;
    control_.finishedKind = kind;
    control_.endedTestMode = kind == TestKind::FreeAccel ? kModeFreeAccel : kModeMaxSpeed;
    control_.endedTestProgress = readings_.progress;
}

void PollLoop::HandleMaxSpeedAnswer(uint8_t request) {
    if (request == request::kStatus) {
        TakeStatusStateAndMode();
        readings_.progress = readings_.D3();
        if (readings_.progress > 0) control_.collecting = true;
        if (readings_.progress < kMaxSpeedDone) {
            Ask(request::kOpacity);
            control_.phase = 1;
        } else {
            EndTest(TestKind::MaxSpeed);
        }
    } else if (request == request::kOpacity) {
        readings_.opacityX10 = HexDigits3(readings_, 2);
        Ask(request::kStatus);
        control_.phase = 0;
        Publish();
        emit maxSpeedPointDue();
        RefreshModeAndReadings();
    }
}

void PollLoop::HandleFreeAccelAnswer(uint8_t request) {
    switch (request) {
        case request::kStatus: {
            TakeStatusStateAndMode();
            const uint8_t progress = readings_.D3();
            if (progress > readings_.progress) {
                Publish();
                emit measurementCaptionDue(readings_.progress);
            }
            readings_.progress = progress;
            if (progress > 0) control_.collecting = true;
            if (progress <= kFreeAccelLastSample) {
                Ask(request::kOpacity);
                control_.phase = 1;
            } else {
                EndTest(TestKind::FreeAccel);
            }
            break;
        }
        case request::kOpacity:
            readings_.opacityX10 = HexDigits3(readings_, 2);
            Ask(request::kEngineSpeed);
            control_.phase = 2;
            break;
        case request::kEngineSpeed:
            readings_.engineSpeed = HexDigits4(readings_, 2);
            Ask(request::kStatus);
            control_.phase = 0;
            Publish();
            emit freeAccelSampleDue(SampleValues::Answered);
            RefreshModeAndReadings();
            break;
        default:
            break;
    }
}

void PollLoop::HandleResultAnswer(uint8_t request) {
    const bool fullForm =
        request == request::kFreeAccelResult || request == request::kMaxSpeedResult;
    if (fullForm && readings_.D1() >= 3) {
        // The instrument knows only the short result requests: use them from now on.
        // This reply is no result.
        control_.shortResults = true;
        return;
    }
    const int32_t validity = fullForm ? readings_.D2() : 0;
    const int32_t mean = fullForm ? HexDigits3(readings_, 3) : HexDigits3(readings_, 2);
    const TestKind kind = control_.finishedKind;
    control_.finishedKind = TestKind::None;
    control_.state = PollState::Polling;
    control_.phase = 0;  // this tick's polling step asks for the status
    Publish();
    emit resultArrived(kind, validity, mean);
}

void PollLoop::HeldValueSteps() {
    // While the opacity reply is awaited the chart goes on with the values held.
    if (control_.phase != 1) return;
    if (control_.state != PollState::FreeAccelTest && control_.state != PollState::MaxSpeedTest)
        return;
    Publish();
    if (control_.state == PollState::FreeAccelTest) emit freeAccelSampleDue(SampleValues::Held);
    if (control_.state == PollState::MaxSpeedTest) emit maxSpeedPointDue();
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
        const bool freeAccel = control_.finishedKind == TestKind::FreeAccel;
        if (control_.shortResults)
            Ask(freeAccel ? request::kFreeAccelResultShort : request::kMaxSpeedResultShort);
        else
            Ask(freeAccel ? request::kFreeAccelResult : request::kMaxSpeedResult);
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
        // The identify reply names itself: nothing awaits it.
        serial_.SendCommand(request::kIdentify);
    } else {
        SearchNextPort();
    }
}

}  // namespace kelvaron
