// opacimeter-sim: the simulated instrument on a pseudo-terminal.
//
// It links the terminal as <dir>/ports/COM<n>, so a program in <dir> finds it as
// COMn, and answers the instrument's protocol until it is stopped. Every command
// it receives can be logged with the time it arrived.
#include "simulator/opacimeter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using kelvaron::sim::Fault;
using kelvaron::sim::Opacimeter;
using kelvaron::sim::Options;
using kelvaron::sim::TestKind;

namespace {

volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t ownTestRequested = 0;
void OnSignal(int) { stopRequested = 1; }
void OnOwnTestSignal(int) { ownTestRequested = 1; }

void Usage() {
    std::fprintf(
        stderr,
        "usage: opacimeter-sim --dir PROGRAM_DIR [--port N] [--designation A-B]\n"
        "         [--firmware X.Y] [--short-results] [--outcome valid|decreasing|zone]\n"
        "         [--self-start free|max@SECONDS]\n"
        "         [--fault NAME[@START[-END]]] [--latency-ms MS] [--log FILE]\n"
        "         [--duration SECONDS] [--seed N] [--whole-replies] [--monotonic-log]\n"
        "         [--idle-smoke PERCENT] [--start-on-signal free|max]\n"
        "--start-on-signal: SIGUSR1 makes the instrument start that test itself\n"
        "faults: noise, bad-check, split, slow, silence, hang-up, burst, late,\n"
        "        stale-status, echo, garbage; from START to END seconds (default: from 0 on;\n"
        "        a hang-up lasts)\n"
        "--log writes \"TIME_US CODE\" for each request and\n"
        "\"TIME_US CODE rINTACT[b] D1D2D3D4D5 PROGRESS\" for each reply (b: a frame of a burst)\n"
        "--monotonic-log: the log's times on the monotonic clock, not from the start\n");
}

// "NAME@SECONDS" into NAME and microseconds (0 when no time is given).
std::string SplitAt(const std::string& arg, int64_t& startUs) {
    const auto at = arg.find('@');
    startUs =
        at == std::string::npos ? 0 : static_cast<int64_t>(std::atof(arg.c_str() + at + 1) * 1e6);
    return arg.substr(0, at);
}

int64_t NowUs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string dir, logPath;
    bool monotonicLog = false;  // log times on the system's monotonic clock, not from the start
    int port = 1;
    double durationS = 0;
    TestKind onSignal = TestKind::None;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string v = hasValue ? argv[i + 1] : "";
        if (a == "--dir" && hasValue) {
            dir = v, ++i;
        } else if (a == "--port" && hasValue) {
            port = std::atoi(v.c_str()), ++i;
        } else if (a == "--designation" && hasValue) {
            unsigned hi = 0, lo = 0;
            if (std::sscanf(v.c_str(), "%u-%u", &hi, &lo) != 2 || hi > 255 || lo > 255)
                return Usage(), 2;
            options.designationHigh = static_cast<uint8_t>(hi);
            options.designationLow = static_cast<uint8_t>(lo);
            ++i;
        } else if (a == "--firmware" && hasValue) {
            unsigned hi = 0, lo = 0;
            if (std::sscanf(v.c_str(), "%u.%u", &hi, &lo) != 2 || hi > 15 || lo > 15)
                return Usage(), 2;
            options.firmware = static_cast<uint8_t>(hi * 16 + lo);
            ++i;
        } else if (a == "--outcome" && hasValue) {
            if (!kelvaron::sim::ParseOutcome(v, options.outcome)) return Usage(), 2;
            ++i;
        } else if (a == "--whole-replies") {
            options.wholeReplies = true;
        } else if (a == "--short-results") {
            options.shortResultsOnly = true;
        } else if (a == "--self-start" && hasValue) {
            const std::string kind = SplitAt(v, options.selfStartUs);
            if (kind == "free")
                options.selfStart = TestKind::FreeAccel;
            else if (kind == "max")
                options.selfStart = TestKind::MaxSpeed;
            else
                return Usage(), 2;
            ++i;
        } else if (a == "--fault" && hasValue) {
            if (!kelvaron::sim::ParseFault(SplitAt(v, options.faultStartUs), options.fault))
                return Usage(), 2;
            const auto dash =
                v.find('-', v.find('@') == std::string::npos ? v.size() : v.find('@'));
            if (dash != std::string::npos)
                options.faultEndUs = static_cast<int64_t>(std::atof(v.c_str() + dash + 1) * 1e6);
            ++i;
        } else if (a == "--latency-ms" && hasValue) {
            options.replyLatencyUs = static_cast<int64_t>(std::atof(v.c_str()) * 1000), ++i;
        } else if (a == "--log" && hasValue) {
            logPath = v, ++i;
        } else if (a == "--monotonic-log") {
            monotonicLog = true;
        } else if (a == "--duration" && hasValue) {
            durationS = std::atof(v.c_str()), ++i;
        } else if (a == "--start-on-signal" && hasValue) {
            if (v == "free")
                onSignal = TestKind::FreeAccel;
            else if (v == "max")
                onSignal = TestKind::MaxSpeed;
            else
                return Usage(), 2;
            ++i;
        } else if (a == "--idle-smoke" && hasValue) {
            const double percent = std::atof(v.c_str());
            if (percent < 0 || percent > 100) return Usage(), 2;
            options.idleOpacityX10 = static_cast<int>(std::lround(percent * 10));
            ++i;
        } else if (a == "--seed" && hasValue) {
            options.seed = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 10)), ++i;
        } else {
            Usage();
            return 2;
        }
    }
    if (dir.empty() || port < 1) {
        Usage();
        return 2;
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("opacimeter-sim: pseudo-terminal");
        return 1;
    }
    const std::string slaveName = ptsname(master);
    // Holding the terminal's other end open keeps the line up while the program
    // closes and reopens the port; raw mode keeps the terminal from echoing.
    int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (slave < 0 || tcgetattr(slave, &raw) != 0) {
        std::perror("opacimeter-sim: terminal");
        return 1;
    }
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    const std::string portsDir = dir + "/ports";
    const std::string link = portsDir + "/COM" + std::to_string(port);
    mkdir(dir.c_str(), 0755);
    mkdir(portsDir.c_str(), 0755);
    unlink(link.c_str());
    if (symlink(slaveName.c_str(), link.c_str()) != 0) {
        std::perror("opacimeter-sim: link");
        return 1;
    }

    FILE* log = logPath.empty() ? nullptr : std::fopen(logPath.c_str(), "w");
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    signal(SIGPIPE, SIG_IGN);
    signal(SIGUSR1, OnOwnTestSignal);
    std::printf("opacimeter-sim: COM%d -> %s (%s)\n", port, slaveName.c_str(), link.c_str());
    std::fflush(stdout);

    Opacimeter instrument(options);
    const auto start = std::chrono::steady_clock::now();
    // Another process reading the log can then set its own moments beside the requests.
    const long long logBase =
        monotonicLog
            ? std::chrono::duration_cast<std::chrono::microseconds>(start.time_since_epoch())
                  .count()
            : 0;
    size_t logged = 0, loggedReplies = 0;
    bool hungUp = false;
    while (!stopRequested) {
        const int64_t now = NowUs(start);
        if (durationS > 0 && now >= static_cast<int64_t>(durationS * 1e6)) break;
        if (ownTestRequested) {
            ownTestRequested = 0;
            instrument.StartOwnTest(onSignal, now);
        }

        if (!hungUp && instrument.HungUp(now)) {
            // The line goes dead: both ends of the terminal are closed.
            hungUp = true;
            close(master);
            close(slave);
            std::printf("opacimeter-sim: line hung up\n");
            std::fflush(stdout);
        }
        if (hungUp) {
            usleep(100000);
            continue;
        }

        const int64_t next = instrument.NextDueUs();
        int timeoutMs = 50;
        if (next >= 0)
            timeoutMs = static_cast<int>(std::max<int64_t>(0, (next - now + 999) / 1000));
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, std::min(timeoutMs, 50)) > 0 && (p.revents & POLLIN)) {
            uint8_t buffer[256];
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) instrument.Receive(buffer, static_cast<size_t>(got), NowUs(start));
        }
        const auto due = instrument.TakeDue(NowUs(start));
        if (!due.empty() && write(master, due.data(), due.size()) < 0 && errno != EAGAIN)
            std::perror("opacimeter-sim: write");

        if (log) {
            const auto& requests = instrument.Requests();
            for (; logged < requests.size(); ++logged)
                std::fprintf(log, "%lld %u\n", logBase + requests[logged].timeUs,
                             requests[logged].code);
            const auto& replies = instrument.Replies();
            for (; loggedReplies < replies.size(); ++loggedReplies) {
                const auto& r = replies[loggedReplies];
                std::fprintf(log, "%lld %u r%d%s %02X%02X%02X%02X%02X %u\n", logBase + r.timeUs,
                             r.code, r.intact ? 1 : 0, r.burst ? "b" : "", r.data[0], r.data[1],
                             r.data[2], r.data[3], r.data[4], r.progress);
            }
            std::fflush(log);
        }
    }

    if (!hungUp) {
        close(master);
        close(slave);
    }
    unlink(link.c_str());
    if (log) std::fclose(log);
    return 0;
}
