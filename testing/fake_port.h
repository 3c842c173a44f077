#pragma once
// A serial link for deterministic tests: ports that hold a simulated instrument,
// ports that open but never answer, and a clock the test moves by hand.
#include "device/serial_link.h"
#include "simulator/opacimeter.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

namespace kelvaron::testing {

struct FakeClock {
    int64_t nowUs = 0;
    int64_t NowMs() const { return nowUs / 1000; }
};

// One command frame the program sent, with the time it left.
struct Sent {
    int64_t timeUs;
    uint8_t code;
};

class FakePort final : public SerialLink {
public:
    explicit FakePort(FakeClock& clock) : clock_(clock) {}

    void AddInstrument(int port, sim::Opacimeter& instrument) { instruments_[port] = &instrument; }
    void AddSilentPort(int port) { silent_.insert(port); }
    // A port that is there but refuses the user (its device's group).
    void AddDeniedPort(int port) { denied_.insert(port); }
    // Raw bytes that arrive on the open port, as if from the line.
    void Inject(const std::vector<uint8_t>& bytes) {
        rx_.insert(rx_.end(), bytes.begin(), bytes.end());
    }

    bool Open(int port, int) override {
        if (open_) return true;
        opens_.push_back(port);
        port_ = port;
        if (!instruments_.count(port) && !silent_.count(port)) return false;
        open_ = true;
        port_ = port;
        return true;
    }
    bool Close() override {
        if (open_) ++closes_;
        open_ = false;
        rx_.clear();
        return true;
    }
    int BytesWaiting() override {
        ++bytesWaitingCalls_;
        if (!open_) return 0;
        if (auto* instrument = Instrument()) {
            const auto due = instrument->TakeDue(clock_.nowUs);
            rx_.insert(rx_.end(), due.begin(), due.end());
        }
        return static_cast<int>(rx_.size());
    }
    int Read(uint8_t* buffer, uint16_t max) override {
        if (!open_) return 0;
        const size_t n = std::min<size_t>(max, rx_.size());
        std::copy_n(rx_.begin(), n, buffer);
        rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<int>(n);
    }
    int Write(const uint8_t* buffer, uint16_t count) override {
        if (!open_) return 0;
        if (count == 4) sent_.push_back({clock_.nowUs, buffer[1]});
        if (auto* instrument = Instrument()) instrument->Receive(buffer, count, clock_.nowUs);
        return count;
    }
    bool IsOpen() const override { return open_; }
    bool OpenDenied() const override { return !open_ && denied_.count(port_) > 0; }

    int OpenPort() const { return open_ ? port_ : 0; }
    const std::vector<int>& Opens() const { return opens_; }
    int Closes() const { return closes_; }
    const std::vector<Sent>& SentFrames() const { return sent_; }
    int BytesWaitingCalls() const { return bytesWaitingCalls_; }

private:
    sim::Opacimeter* Instrument() {
        auto it = instruments_.find(port_);
        return it == instruments_.end() ? nullptr : it->second;
    }

    FakeClock& clock_;
    std::map<int, sim::Opacimeter*> instruments_;
    std::set<int> silent_;
    std::set<int> denied_;
    std::deque<uint8_t> rx_;
    bool open_ = false;
    int port_ = 0;
    std::vector<int> opens_;
    int closes_ = 0;
    std::vector<Sent> sent_;
    int bytesWaitingCalls_ = 0;
};

}  // namespace kelvaron::testing
