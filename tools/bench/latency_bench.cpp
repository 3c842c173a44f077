// kelvaron-latency-bench: how the poll loop reads tests whose replies come late.
// For each reply latency (0 to 45 ms, from the request to the reply's last byte)
// and each delivery (byte by byte as from a plain UART, whole as a USB adapter
// hands a packet over), it runs free-acceleration and maximum-speed tests with
// the full and the short result form against the simulated instrument on the
// fake port, each at a random phase between the instrument's clock and the
// ticks, and compares what the program took with what the instrument sent.
//
// Printed per latency: the tests run, those read exactly right (six peaks, mean
// and validity equal to what the instrument sent), the intact replies not
// taken, the requests given up, the polling cycle and the median test duration
// against the same test at 0 ms, and the samples of a free-acceleration test.
#include "testing/sent_replies.h"
#include "testing/test_bench.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

struct Run {
    bool exact = false;
    int64_t notTaken = 0;  // intact replies the program did not take (the last may be in flight)
    int64_t givenUp = 0;
    double durationS = 0;   // from the start command to the result taken
    double cycleTicks = 0;  // median polling cycle before the test
    int64_t samples = 0;    // answered samples of a free-acceleration test
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Run RunTest(int latencyMs, bool whole, bool freeAccel, bool shortForm, std::mt19937& random) {
    TestBench b;
    b.clock.nowUs = std::uniform_int_distribution<int64_t>(0, 19'999)(random);
    sim::Opacimeter instrument(sim::Options{.shortResultsOnly = shortForm,
                                            .replyLatencyUs = latencyMs * 1000,
                                            .wholeReplies = whole,
                                            .seed = static_cast<uint32_t>(random())});
    Run run;
    if (!b.IdentifyOnCom1(instrument)) return run;
    b.RunMs(2000);  // idle polling
    std::vector<double> cycles;
    int64_t lastStatus = -1;
    for (const auto& f : b.port.SentFrames()) {
        if (f.code != 10) continue;
        if (lastStatus >= 0) cycles.push_back((f.timeUs - lastStatus) / 20'000.0);
        lastStatus = f.timeUs;
    }
    run.cycleTicks = Median(cycles);

    if (freeAccel)
        b.series.StartFreeAccelTest();
    else
        b.series.StartMaxSpeedTest();
    const int64_t taken7 = b.loop.Counts().takenByRequest[7];
    if (!b.RunUntilState(freeAccel ? PollState::FreeAccelTest : PollState::MaxSpeedTest, 200) ||
        !b.RunUntilState(PollState::Polling, 5000))
        return run;
    int64_t startUs = 0;
    for (const auto& f : b.port.SentFrames())
        if (f.code == (freeAccel ? 2 : 3)) startUs = f.timeUs;
    run.durationS = (b.clock.nowUs - startUs) / 1e6;
    run.samples = b.loop.Counts().takenByRequest[7] - taken7;

    const SentReplies sent = SentBy(instrument);
    run.notTaken = RepliesToRequests(sent) - b.loop.Counts().repliesTaken;
    run.givenUp = b.loop.Counts().requestsGivenUp;
    const TestResults& r = b.results;
    run.exact = (freeAccel ? r.freeAccelMeanX10 : r.maxSpeedMeanX10) == sent.meanX10 &&
                (freeAccel ? r.freeAccelValidity : r.maxSpeedValidity) == sent.validity;
    for (size_t i = 0; freeAccel && i < 6; ++i)
        run.exact = run.exact && r.sampled[i] && r.peakN[i] == sent.peakX10[i] / 10.0 &&
                    r.peakRpm[i] == sent.peakRpm[i];
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::mt19937 random(20261208);
    std::printf(
        "reply latency, %d runs of each test (free acceleration, maximum speed) and result "
        "form (full, short) per row:\n",
        runs);
    std::printf(
        "latency delivery | tests  exact  not taken  given up | polling cycle | free test   "
        "vs 0 ms | max test    vs 0 ms | free samples\n");
    double freeAt0[2] = {0, 0}, maxAt0[2] = {0, 0};
    for (int ms : {0, 10, 19, 21, 25, 30, 38, 45}) {
        for (int w = 0; w < 2; ++w) {
            int tests = 0, exact = 0;
            int64_t notTaken = 0, givenUp = 0;
            std::vector<double> freeS, maxS, cycles, samples;
            for (int n = 0; n < runs; ++n)
                for (bool free : {true, false})
                    for (bool shortForm : {false, true}) {
                        const Run run = RunTest(ms, w == 1, free, shortForm, random);
                        ++tests;
                        exact += run.exact ? 1 : 0;
                        // The reply to the status request that follows the result may
                        // still be on its way: it is in flight, not lost.
                        notTaken += std::max<int64_t>(0, run.notTaken - 1);
                        givenUp += run.givenUp;
                        (free ? freeS : maxS).push_back(run.durationS);
                        cycles.push_back(run.cycleTicks);
                        if (free) samples.push_back(static_cast<double>(run.samples));
                    }
            const double freeMedian = Median(freeS), maxMedian = Median(maxS);
            if (ms == 0) freeAt0[w] = freeMedian, maxAt0[w] = maxMedian;
            std::printf(
                "%4d ms %-8s | %5d  %5d  %9lld  %8lld | %7.1f ticks | %7.2f s  %6.3f | %7.2f s  "
                "%6.3f | %6.0f\n",
                ms, w ? "whole" : "bytes", tests, exact, static_cast<long long>(notTaken),
                static_cast<long long>(givenUp), Median(cycles), freeMedian,
                freeMedian / freeAt0[w], maxMedian, maxMedian / maxAt0[w], Median(samples));
        }
    }
    return 0;
}
