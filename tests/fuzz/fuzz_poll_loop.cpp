// Random reply streams through the poll loop and the measurement series, tick by
// tick, with the operator's commands in between. Nothing may crash, the state
// must stay one of the PollState values with its phase in range, and no request
// other than the protocol's may leave.
#include "testing/test_bench.h"

#include <cstdlib>
#include <set>

using namespace kelvaron;

namespace {

bool Valid(const PollControl& c) {
    switch (c.state) {
        case PollState::Disconnected:
        case PollState::Searching:
            return true;
        case PollState::Polling:
            return c.phase >= 0 && c.phase <= 9;
        case PollState::MaxSpeedTest:
            return c.phase >= 0 && c.phase <= 1;
        case PollState::FreeAccelTest:
            return c.phase >= 0 && c.phase <= 2;
        case PollState::ResultRequest:
            return c.phase >= 0 && c.phase <= 1;
        case PollState::ResultDelay:
            return c.phase >= 0 && c.phase <= 5;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::set<uint8_t> kProtocolCodes = {1, 2, 3, 7, 10, 11, 12, 13, 14, 15, 16};
    testing::TestBench b;
    b.port.AddSilentPort(1);
    // Begin as just after an identification: port open, polling.
    b.port.Open(1, 9600);
    b.control.state = PollState::Polling;
    b.host.SetPollTimerEnabled(true);

    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t op = data[at];
        const size_t length = data[at + 1];
        at += 2;
        switch (op & 7) {
            case 0:
            case 1:
            case 2: {  // bytes from the line, then a tick
                const size_t n = std::min(length, size - at);
                b.port.Inject(std::vector<uint8_t>(data + at, data + at + n));
                at += n;
                b.RunTicks(1);
                break;
            }
            case 3:  // silent ticks
                b.RunTicks(static_cast<int>(length % 32) + 1);
                break;
            case 4:
                b.loop.ZeroCommand();
                break;
            case 5:
                if (length & 1)
                    b.series.StartFreeAccelTest();
                else
                    b.series.StartMaxSpeedTest();
                break;
            case 6:
                b.series.EraseResults();
                break;
            case 7:  // a new search, as the "Связь" button does
                b.loop.StartSearch(length & 1);
                break;
        }
        if (!Valid(b.control)) std::abort();
        if (!b.host.timer2Enabled && !b.host.delayPending &&
            b.control.state != PollState::Disconnected && !b.control.linkLost)
            b.host.SetPollTimerEnabled(true);  // keep ticking where a real window would
    }
    for (const auto& sent : b.port.SentFrames())
        if (!kProtocolCodes.count(sent.code)) std::abort();
    return 0;
}
