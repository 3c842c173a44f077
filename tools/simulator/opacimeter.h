#pragma once
// The instrument as a plain class: command bytes in, reply bytes out, advancing
// with the time the caller gives. Tests run it in-process behind a fake port; the
// tool opacimeter-sim runs it on a pseudo-terminal.
//
// Time is in microseconds on any monotonic clock the caller chooses.
#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace kelvaron::sim {

// Named line faults a test or the tool can ask for.
enum class Fault {
    None,
    Noise,        // random bytes between replies
    BadCheck,     // every third reply with a wrong check byte
    Split,        // each reply in two parts, the second 15 ms after the first
    Slow,         // replies 30 ms late, more than a poll tick
    Silence,      // no replies at all from the fault's start on
    HangUp,       // the line is hung up at the fault's start (the tool closes it for good)
    Burst,        // every tenth reply is followed by 40 more frames at once (320 bytes)
    Late,         // each reply 20 to 45 ms after its request, at random: replies straddle ticks
    StaleStatus,  // the status that finds the test ended still reports it measuring
    Echo,         // a loopback: the line returns every request instead of a reply
    Garbage,      // a line of noise: 8 random bytes in place of every reply
};
bool ParseFault(const std::string& name, Fault& fault);
const char* FaultName(Fault fault);

enum class TestKind { None, FreeAccel, MaxSpeed };

// How the instrument judges the test it runs: valid, a decreasing sequence of
// peaks (free acceleration only) or a zone exceeded.
enum class Outcome { Valid, Decreasing, ZoneExceeded };
bool ParseOutcome(const std::string& name, Outcome& outcome);

struct Options {
    uint8_t designationHigh = 3;  // identify D3 and D4: the designation "3 - 12"
    uint8_t designationLow = 12;
    uint8_t firmware = 0x21;        // identify D5: version 2.1
    bool shortResultsOnly = false;  // answers 15 and 16 with D1 = 3
    Outcome outcome = Outcome::Valid;
    int64_t replyLatencyUs = 11000;  // command decoded to reply on the line
    // Each reply handed over whole, as a USB adapter delivers a packet, instead of
    // byte by byte 1.15 ms apart as a plain UART does.
    bool wholeReplies = false;
    Fault fault = Fault::None;
    int64_t faultStartUs = 0;
    int64_t faultEndUs = INT64_MAX;       // the fault lasts from its start until here
    TestKind selfStart = TestKind::None;  // a test the instrument starts by itself
    int64_t selfStartUs = 0;
    uint32_t seed = 1;
    int idleOpacityX10 = 12;  // the smoke of the idling engine, tenths of a percent
};

// One command frame the instrument received.
struct Request {
    int64_t timeUs;
    uint8_t code;
};

// One reply frame the instrument put on the line.
struct Reply {
    int64_t timeUs;
    uint8_t code;                   // the request it answers
    bool intact;                    // false when its check byte was spoiled on purpose
    bool burst;                     // one of the frames of a burst
    std::array<uint8_t, 5> data{};  // D1..D5
    uint8_t progress = 0;           // the instrument's own progress when it answered
    uint8_t mode = 0;               // and its mode (2 or 3 while a test runs)
};

// D5 of the frames of a burst, so a receiver can tell them from the replies.
constexpr uint8_t kBurstMark = 0x0B;

class Opacimeter {
public:
    explicit Opacimeter(Options options = {});

    // Bytes from the program. Commands are decoded and their replies scheduled.
    void Receive(const uint8_t* data, size_t count, int64_t nowUs);
    // Reply bytes whose time on the line has come.
    std::vector<uint8_t> TakeDue(int64_t nowUs);
    // When the next reply byte is due; -1 when none is scheduled.
    int64_t NextDueUs() const;
    bool HungUp(int64_t nowUs) const;
    // The instrument starts a test by itself now, as if its own button were
    // pressed; nothing happens while a test runs.
    void StartOwnTest(TestKind kind, int64_t nowUs);

    const std::vector<Request>& Requests() const { return requests_; }
    const std::vector<Reply>& Replies() const { return replies_; }

    // The instrument's own view of itself, for tests.
    uint8_t State(int64_t nowUs);
    uint8_t Mode(int64_t nowUs);
    uint8_t Progress(int64_t nowUs);
    int OpacityX10(int64_t nowUs);
    int EngineSpeed(int64_t nowUs);

    // The free-acceleration script: six accelerations.
    static constexpr int kAccelerations = 6;
    static constexpr int64_t kLeadInUs = 1'000'000;  // progress 0 before the first
    static constexpr int64_t kSampleUs = 2'400'000;  // progress 16·k while sampled
    static constexpr int64_t kPauseUs = 1'500'000;   // progress 16·k + 1 between them
    static constexpr int64_t kMaxSpeedUs =
        6'000'000;  // progress 0..100: 150 points, within the chart's 160
    static constexpr int64_t kZeroUs = 2'000'000;

private:
    struct PendingByte {
        int64_t dueUs;
        uint8_t value;
    };

    void Update(int64_t nowUs);
    void StartTest(TestKind kind, int64_t nowUs);
    void HandleCommand(uint8_t code, int64_t nowUs);
    void SendReply(uint8_t code, const std::array<uint8_t, 5>& d, int64_t nowUs);
    void Transmit(const std::array<uint8_t, 8>& frame, int64_t& lineUs, bool split);
    bool FaultActive(int64_t nowUs) const;
    std::array<uint8_t, 5> StatusReply(int64_t nowUs);
    std::array<uint8_t, 5> ResultReply(bool shortForm, TestKind kind);
    void PutOnLine(const std::vector<uint8_t>& bytes, int64_t nowUs);

    // Where the running test is and what the engine does.
    uint8_t ScriptProgress(int64_t sinceUs) const;
    int ScriptOpacityX10(int64_t sinceUs) const;
    int ScriptEngineSpeed(int64_t sinceUs) const;
    const std::array<int, 6>& Peaks() const;

    Options options_;
    std::mt19937 random_;
    std::vector<uint8_t> inbox_;
    std::deque<PendingByte> outbox_;
    std::vector<Request> requests_;
    std::vector<Reply> replies_;
    int repliesSent_ = 0;

    TestKind running_ = TestKind::None;
    int64_t testStartUs_ = 0;
    int64_t zeroUntilUs_ = -1;
    bool selfStartDone_ = false;
    uint8_t progress_ = 0;
    TestKind staleStatus_ = TestKind::None;  // the ended test a stale status still reports
    // The result of the last finished test, kept until it is read.
    TestKind finished_ = TestKind::None;
    int resultMeanX10_ = 0;
    int resultValidity_ = 0;
};

}  // namespace kelvaron::sim
