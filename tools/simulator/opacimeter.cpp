#include "simulator/opacimeter.h"

#include <algorithm>
#include <cmath>

namespace kelvaron::sim {

namespace {

constexpr int64_t kByteUs = 1146;  // one byte at 9600 baud, 8 data bits, 2 stop bits
constexpr int64_t kSplitGapUs = 15000;
constexpr int64_t kSlowExtraUs = 30000;
constexpr int64_t kLateMinUs = 20000, kLateMaxUs = 45000;
constexpr uint8_t kReady = 1, kMeasuring = 2;
constexpr uint8_t kModeNormal = 0, kModeZero = 1, kModeFreeAccel = 2, kModeMaxSpeed = 3;
constexpr uint8_t kFreeAccelDone = 0x70;  // above 96: all six accelerations done
constexpr int kIdleRpm = 800;
constexpr double kPi = 3.14159265358979323846;

// The peak opacity of each acceleration, tenths of a percent, by outcome.
constexpr std::array<int, Opacimeter::kAccelerations> kValidPeaksX10 = {452, 431, 447,
                                                                        438, 441, 436};
constexpr std::array<int, Opacimeter::kAccelerations> kDecreasingPeaksX10 = {520, 480, 450,
                                                                             410, 380, 350};
constexpr std::array<int, Opacimeter::kAccelerations> kScatteredPeaksX10 = {300, 520, 350,
                                                                            610, 330, 480};

// Rises smoothly from 0 to 1 over `span`.
double Rise(double t, double span) {
    return t >= span ? 1.0 : 0.5 - 0.5 * std::cos(kPi * t / span);
}

// Puts `value` as hexadecimal digits, least significant first, into d[first..].
void PutDigits(std::array<uint8_t, 5>& d, int first, int count, int value) {
    for (int i = 0; i < count; ++i) d[first + i] = static_cast<uint8_t>((value >> (4 * i)) & 0xF);
}

}  // namespace

bool ParseFault(const std::string& name, Fault& fault) {
    for (Fault f : {Fault::None, Fault::Noise, Fault::BadCheck, Fault::Split, Fault::Slow,
                    Fault::Silence, Fault::HangUp, Fault::Burst, Fault::Late, Fault::StaleStatus,
                    Fault::Echo, Fault::Garbage}) {
        if (name == FaultName(f)) {
            fault = f;
            return true;
        }
    }
    return false;
}

bool ParseOutcome(const std::string& name, Outcome& outcome) {
    if (name == "valid")
        outcome = Outcome::Valid;
    else if (name == "decreasing")
        outcome = Outcome::Decreasing;
    else if (name == "zone")
        outcome = Outcome::ZoneExceeded;
    else
        return false;
    return true;
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "none";
        case Fault::Noise:
            return "noise";
        case Fault::BadCheck:
            return "bad-check";
        case Fault::Split:
            return "split";
        case Fault::Slow:
            return "slow";
        case Fault::Silence:
            return "silence";
        case Fault::HangUp:
            return "hang-up";
        case Fault::Burst:
            return "burst";
        case Fault::Late:
            return "late";
        case Fault::StaleStatus:
            return "stale-status";
        case Fault::Echo:
            return "echo";
        case Fault::Garbage:
            return "garbage";
    }
    return "none";
}

Opacimeter::Opacimeter(Options options) : options_(options), random_(options.seed) {}

bool Opacimeter::FaultActive(int64_t nowUs) const {
    return options_.fault != Fault::None && nowUs >= options_.faultStartUs &&
           nowUs < options_.faultEndUs;
}

bool Opacimeter::HungUp(int64_t nowUs) const {
    return options_.fault == Fault::HangUp && FaultActive(nowUs);
}

// ---- The instrument's state over time ----

void Opacimeter::StartTest(TestKind kind, int64_t nowUs) {
    running_ = kind;
    testStartUs_ = nowUs;
    finished_ = TestKind::None;
    progress_ = 0;
}

void Opacimeter::StartOwnTest(TestKind kind, int64_t nowUs) {
    Update(nowUs);
    if (running_ == TestKind::None && kind != TestKind::None) StartTest(kind, nowUs);
}

void Opacimeter::Update(int64_t nowUs) {
    if (!selfStartDone_ && options_.selfStart != TestKind::None && nowUs >= options_.selfStartUs) {
        selfStartDone_ = true;
        if (running_ == TestKind::None) StartTest(options_.selfStart, nowUs);
    }
    if (running_ == TestKind::None) return;

    const int64_t since = nowUs - testStartUs_;
    progress_ = ScriptProgress(since);
    const bool done = running_ == TestKind::FreeAccel ? progress_ > 96 : progress_ >= 100;
    if (!done) return;

    if (running_ == TestKind::FreeAccel) {
        // The mean of the last four accelerations, as the instrument reports it.
        int sum = 0;
        for (int k = 2; k < kAccelerations; ++k) sum += Peaks()[static_cast<size_t>(k)];
        resultMeanX10_ = (sum + 2) / 4;
        resultValidity_ = options_.outcome == Outcome::Decreasing     ? 1
                          : options_.outcome == Outcome::ZoneExceeded ? 2
                                                                      : 0;
    } else {
        resultMeanX10_ = 250;
        resultValidity_ = options_.outcome == Outcome::ZoneExceeded ? 1 : 0;
    }
    finished_ = running_;
    if (FaultActive(nowUs) && options_.fault == Fault::StaleStatus) staleStatus_ = running_;
    running_ = TestKind::None;
}

uint8_t Opacimeter::ScriptProgress(int64_t since) const {
    if (running_ == TestKind::MaxSpeed)
        return static_cast<uint8_t>(std::min<int64_t>(100, since * 100 / kMaxSpeedUs));
    if (since < kLeadInUs) return 0;
    const int64_t step = kSampleUs + kPauseUs;
    const int64_t k = (since - kLeadInUs) / step;  // 0-based acceleration
    const int64_t within = (since - kLeadInUs) % step;
    if (k >= kAccelerations || (k == kAccelerations - 1 && within >= kSampleUs))
        return kFreeAccelDone;
    return static_cast<uint8_t>(16 * (k + 1) + (within >= kSampleUs ? 1 : 0));
}

int Opacimeter::ScriptOpacityX10(int64_t since) const {
    if (running_ == TestKind::MaxSpeed) {
        const double t = static_cast<double>(since) / 1e6;
        const double swing = options_.outcome == Outcome::ZoneExceeded ? 150 : 30;
        return static_cast<int>(250 + swing * std::sin(2 * kPi * t / 2.5) * Rise(t, 1.0));
    }
    if (since < kLeadInUs) return options_.idleOpacityX10;
    const int64_t step = kSampleUs + kPauseUs;
    const int64_t k = std::min<int64_t>((since - kLeadInUs) / step, kAccelerations - 1);
    const double t = static_cast<double>(since - kLeadInUs - k * step) / 1e6;
    const double peak = Peaks()[static_cast<size_t>(k)];
    const double tp = 0.7;  // the smoke peaks 0.7 s into the acceleration
    const double n = t < tp
                         ? options_.idleOpacityX10 + (peak - options_.idleOpacityX10) * Rise(t, tp)
                         : options_.idleOpacityX10 +
                               (peak - options_.idleOpacityX10) * std::exp(-(t - tp) / 0.45);
    return static_cast<int>(std::lround(n));
}

int Opacimeter::ScriptEngineSpeed(int64_t since) const {
    if (running_ == TestKind::MaxSpeed) return 4800;
    if (since < kLeadInUs) return kIdleRpm;
    const int64_t step = kSampleUs + kPauseUs;
    const double t = static_cast<double>((since - kLeadInUs) % step) / 1e6;
    const double top = 4600, tUp = 0.9, tDown = 2.2;
    if (t < tUp) return static_cast<int>(kIdleRpm + (top - kIdleRpm) * Rise(t, tUp));
    if (t < tDown) return static_cast<int>(top - (top - kIdleRpm) * Rise(t - tUp, tDown - tUp));
    return kIdleRpm;
}

const std::array<int, 6>& Opacimeter::Peaks() const {
    switch (options_.outcome) {
        case Outcome::Decreasing:
            return kDecreasingPeaksX10;
        case Outcome::ZoneExceeded:
            return kScatteredPeaksX10;
        case Outcome::Valid:
            break;
    }
    return kValidPeaksX10;
}

uint8_t Opacimeter::State(int64_t nowUs) {
    Update(nowUs);
    return running_ != TestKind::None ? kMeasuring : kReady;
}

uint8_t Opacimeter::Mode(int64_t nowUs) {
    Update(nowUs);
    if (running_ == TestKind::FreeAccel) return kModeFreeAccel;
    if (running_ == TestKind::MaxSpeed) return kModeMaxSpeed;
    return nowUs < zeroUntilUs_ ? kModeZero : kModeNormal;
}

uint8_t Opacimeter::Progress(int64_t nowUs) {
    Update(nowUs);
    return progress_;
}

int Opacimeter::OpacityX10(int64_t nowUs) {
    Update(nowUs);
    if (running_ == TestKind::None) {
        std::uniform_int_distribution<int> jitter(-3, 3);
        return options_.idleOpacityX10 + jitter(random_);
    }
    return ScriptOpacityX10(nowUs - testStartUs_);
}

int Opacimeter::EngineSpeed(int64_t nowUs) {
    Update(nowUs);
    if (running_ == TestKind::None) {
        std::uniform_int_distribution<int> jitter(-15, 15);
        return kIdleRpm + jitter(random_);
    }
    return ScriptEngineSpeed(nowUs - testStartUs_);
}

// ---- The line ----

void Opacimeter::Receive(const uint8_t* data, size_t count, int64_t nowUs) {
    inbox_.insert(inbox_.end(), data, data + count);
    // A command frame: AA code A5 check, the whole frame XORing to zero.
    size_t i = 0;
    while (inbox_.size() - i >= 4) {
        const uint8_t* f = inbox_.data() + i;
        if (f[0] == 0xAA && f[2] == 0xA5 && (f[0] ^ f[1] ^ f[2] ^ f[3]) == 0) {
            requests_.push_back({nowUs, f[1]});
            HandleCommand(f[1], nowUs);
            i += 4;
        } else {
            ++i;  // not a frame start: skip one byte
        }
    }
    inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(i));
}

void Opacimeter::HandleCommand(uint8_t code, int64_t nowUs) {
    Update(nowUs);
    if (FaultActive(nowUs) && options_.fault == Fault::Echo) {
        // The request comes straight back, as through a loopback plug.
        PutOnLine({0xAA, code, 0xA5, static_cast<uint8_t>(code ^ 0x0F)}, nowUs);
        return;
    }
    std::array<uint8_t, 5> d{};
    switch (code) {
        case 1:
            if (running_ == TestKind::None) zeroUntilUs_ = nowUs + kZeroUs;
            d = StatusReply(nowUs);
            break;
        case 2:
        case 3:
            // A start while a test runs (one the instrument began itself) changes nothing.
            if (running_ == TestKind::None)
                StartTest(code == 2 ? TestKind::FreeAccel : TestKind::MaxSpeed, nowUs);
            d = StatusReply(nowUs);
            break;
        case 7:
            PutDigits(d, 1, 4, EngineSpeed(nowUs));
            break;
        case 10:
            d = StatusReply(nowUs);
            break;
        case 11:
            PutDigits(d, 1, 3, OpacityX10(nowUs));
            break;
        case 12:
        case 13:
            d = ResultReply(true, code == 12 ? TestKind::FreeAccel : TestKind::MaxSpeed);
            break;
        case 14:
            d = {0, 0x44, options_.designationHigh, options_.designationLow, options_.firmware};
            break;
        case 15:
        case 16:
            d = ResultReply(false, code == 15 ? TestKind::FreeAccel : TestKind::MaxSpeed);
            break;
        default:
            return;  // unknown commands go unanswered
    }
    SendReply(code, d, nowUs);
}

std::array<uint8_t, 5> Opacimeter::StatusReply(int64_t nowUs) {
    Update(nowUs);
    if (staleStatus_ != TestKind::None) {
        // Still "measuring", with the last progress of the test that has ended.
        const uint8_t mode = staleStatus_ == TestKind::FreeAccel ? kModeFreeAccel : kModeMaxSpeed;
        staleStatus_ = TestKind::None;
        return {kMeasuring, mode, progress_, 0, 0};
    }
    return {State(nowUs), Mode(nowUs), Progress(nowUs), 0, 0};
}

std::array<uint8_t, 5> Opacimeter::ResultReply(bool shortForm, TestKind kind) {
    std::array<uint8_t, 5> d{};
    if (!shortForm && options_.shortResultsOnly) {
        d[0] = 3;  // "not supported"
        return d;
    }
    const bool have = finished_ == kind;
    const int mean = have ? resultMeanX10_ : 0;
    if (shortForm) {
        PutDigits(d, 1, 3, mean);
    } else {
        d[1] = static_cast<uint8_t>(have ? resultValidity_ : 0);
        PutDigits(d, 2, 3, mean);
    }
    if (have) progress_ = 0;  // the result is read: back to rest
    return d;
}

namespace {

std::array<uint8_t, 8> DataFrame(const std::array<uint8_t, 5>& d) {
    return {0xAA, d[0], d[1], d[2],
            d[3], d[4], 0xA5, static_cast<uint8_t>(0xAA ^ d[0] ^ d[1] ^ d[2] ^ d[3] ^ 0xA5 ^ d[4])};
}

}  // namespace

void Opacimeter::SendReply(uint8_t code, const std::array<uint8_t, 5>& d, int64_t nowUs) {
    const bool faulty = FaultActive(nowUs);
    if (faulty && (options_.fault == Fault::Silence || options_.fault == Fault::HangUp)) return;
    if (faulty && options_.fault == Fault::Garbage) {
        std::uniform_int_distribution<int> value(0, 255);
        std::vector<uint8_t> noise(8);
        for (uint8_t& b : noise) b = static_cast<uint8_t>(value(random_));
        PutOnLine(noise, nowUs + std::max<int64_t>(0, options_.replyLatencyUs - 8 * kByteUs));
        return;
    }
    ++repliesSent_;
    std::array<uint8_t, 8> frame = DataFrame(d);
    const bool spoiled = faulty && options_.fault == Fault::BadCheck && repliesSent_ % 3 == 0;
    if (spoiled) frame[7] ^= 0x5A;

    int64_t lineUs = nowUs + options_.replyLatencyUs - 8 * kByteUs;
    if (faulty && options_.fault == Fault::Slow) lineUs += kSlowExtraUs;
    if (faulty && options_.fault == Fault::Late) {
        std::uniform_int_distribution<int64_t> latency(kLateMinUs, kLateMaxUs);
        lineUs = nowUs + latency(random_) - 8 * kByteUs;
    }
    // Replies follow one another on the line; they never overlap.
    if (!outbox_.empty()) lineUs = std::max(lineUs, outbox_.back().dueUs + kByteUs);
    lineUs = std::max(lineUs, nowUs);

    if (faulty && options_.fault == Fault::Noise) {
        std::uniform_int_distribution<int> count(1, 4), value(0, 255);
        for (int n = count(random_); n > 0; --n) {
            outbox_.push_back({lineUs, static_cast<uint8_t>(value(random_))});
            lineUs += kByteUs;
        }
    }
    Transmit(frame, lineUs, faulty && options_.fault == Fault::Split);
    replies_.push_back({nowUs, code, !spoiled, false, d, progress_, Mode(nowUs)});

    if (faulty && options_.fault == Fault::Burst && repliesSent_ % 10 == 0) {
        // Far more than a receiver's 255-byte ring holds, all due in one instant.
        const auto extra = DataFrame({1, 0, 0, 0, kBurstMark});
        for (int i = 0; i < 40; ++i) {
            for (uint8_t b : extra) outbox_.push_back({lineUs, b});
            replies_.push_back({nowUs, code, true, true, {1, 0, 0, 0, kBurstMark}, 0, 0});
        }
    }
}

void Opacimeter::PutOnLine(const std::vector<uint8_t>& bytes, int64_t nowUs) {
    int64_t lineUs = std::max(nowUs, outbox_.empty() ? nowUs : outbox_.back().dueUs);
    for (uint8_t b : bytes) outbox_.push_back({lineUs += kByteUs, b});
}

void Opacimeter::Transmit(const std::array<uint8_t, 8>& frame, int64_t& lineUs, bool split) {
    const int64_t lastUs = lineUs + static_cast<int64_t>(frame.size()) * kByteUs;
    for (size_t i = 0; i < frame.size(); ++i) {
        if (split && i == 5) lineUs += kSplitGapUs;
        lineUs += kByteUs;
        // Whole replies come when their last byte would have.
        outbox_.push_back({options_.wholeReplies && !split ? lastUs : lineUs, frame[i]});
    }
}

std::vector<uint8_t> Opacimeter::TakeDue(int64_t nowUs) {
    std::vector<uint8_t> due;
    while (!outbox_.empty() && outbox_.front().dueUs <= nowUs) {
        due.push_back(outbox_.front().value);
        outbox_.pop_front();
    }
    return due;
}

int64_t Opacimeter::NextDueUs() const { return outbox_.empty() ? -1 : outbox_.front().dueUs; }

}  // namespace kelvaron::sim
