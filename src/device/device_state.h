#pragma once
// The shared records of the device link: what the instrument last reported, and
// the poll loop's own control variables. One instance of each, owned by the main
// window; only the poll loop writes them.
#include "device/protokol.h"

#include <cstdint>

namespace kelvaron {

struct DeviceReadings {
    FrameData frame{};        // D1..D5 of the reply last taken
    uint8_t deviceState = 0;  // status D1: 1 ready, 2 measuring, 4 setting up
    uint8_t deviceMode = 0;   // status D2: 0 normal, 1 zero, 2 free accel., 3 max speed
    uint8_t progress = 0;     // status D3: test progress
    int32_t opacityX10 = 0;   // smoke opacity N in tenths of a percent
    int32_t engineSpeed = 0;  // rpm
    int32_t oilTempX10 = 0;   // tenths of a degree; no request of the protocol fills these
    int32_t chamberTempX10 = 0;
    int32_t ambientTempX10 = 0;

    uint8_t D1() const { return frame[0]; }
    uint8_t D2() const { return frame[1]; }
    uint8_t D3() const { return frame[2]; }
    uint8_t D4() const { return frame[3]; }
    uint8_t D5() const { return frame[4]; }

    friend bool operator==(const DeviceReadings&, const DeviceReadings&) = default;
};

// A command waiting to leave at the end of the polling cycle; each is sent as
// the command of its number.
enum class PendingRequest : int32_t { None = 0, Zero = 1, FreeAccel = 2, MaxSpeed = 3 };

// A test the program follows, or whose result it fetches.
enum class TestKind : int32_t { None = 0, MaxSpeed = 1, FreeAccel = 2 };

// Where a free-acceleration sample's values come from: the replies just taken, or
// the values held while the opacity reply is awaited. A held sample keeps the
// curve going but raises no peak: its values were taken before the status it
// would be filed under.
enum class SampleValues { Answered, Held };

enum class PollState : int32_t {
    Disconnected = 0,
    Searching = 1,
    Polling = 2,
    MaxSpeedTest = 3,
    FreeAccelTest = 4,
    ResultRequest = 5,
    ResultDelay = 9,
};

struct PollControl {
    PollState state = PollState::Disconnected;
    int32_t phase = 0;  // sub-step within the state
    int64_t ticks = 0;  // Timer2 ticks run since the start, for diagnostics
    PendingRequest pendingRequest = PendingRequest::None;
    bool startAwaited = false;  // a start command left; the next status reply enters the test
    TestKind finishedKind = TestKind::None;  // the test whose result is fetched
    int32_t silentTicks = 0;                 // consecutive ticks without a valid reply
    bool collecting = false;                 // the running test has reported progress above 0
    bool shortResults = false;               // the instrument knows only the short result requests
    bool linkLost = false;                   // the link-lost notice is showing
    bool searching = false;                  // a port search is running
    int32_t searchPort = 0;                  // port last tried
    int32_t searchLimit = 8;                 // 8, or 64 when all ports are searched
    int32_t searchAttempts = 0;              // ports tried in this search
    int32_t searchProgress = 0;              // value of the progress gauge during the search
    int32_t searchStep = 6;                  // gauge step per port
    int32_t identSends = 0;                  // identify requests sent on the current port
    int32_t identTicks = 0;                  // ticks since the last identify request
    bool lastOpenOk = false;                 // the last port open succeeded (that port is open)

    // The one exchange in flight: a request is sent only when no other awaits
    // its reply, so a reply is always read as the answer to its own request.
    uint8_t awaitedRequest = 0;   // the request whose reply is awaited; 0 none
    int32_t awaitedTicks = 0;     // ticks it has waited without its reply
    bool awaitedSpoiled = false;  // frames came that cannot be told from its reply

    // The test that ended, or was interrupted by a new search, last: while the
    // instrument still reports it measuring in that mode (and its progress has not
    // begun again), that is the old test, not a new one started by the instrument.
    // Forgotten at the first status reply that reports a state other than measuring.
    uint8_t endedTestMode = 0;  // 2 free acceleration, 3 maximum speed; 0 none
    uint8_t endedTestProgress = 0;

    friend bool operator==(const PollControl&, const PollControl&) = default;
};

// State values compare in the order of their codes ("from Polling up").
inline bool operator<(PollState a, PollState b) {
    return static_cast<int32_t>(a) < static_cast<int32_t>(b);
}
inline bool operator>(PollState a, PollState b) { return b < a; }
inline bool operator>=(PollState a, PollState b) { return !(a < b); }

// The number of the instrument's four hexadecimal digits, least significant first,
// starting at D(first) (1-based). Each byte is taken whole, without masking.
inline int32_t HexDigits3(const DeviceReadings& r, int first) {
    return r.frame[first - 1] + 16 * r.frame[first] + 256 * r.frame[first + 1];
}
inline int32_t HexDigits4(const DeviceReadings& r, int first) {
    return HexDigits3(r, first) + 4096 * r.frame[first + 2];
}

}  // namespace kelvaron
