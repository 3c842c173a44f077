#pragma once
// The recording timer as the session sees it: an interval, start, stop and
// whether it runs. The window's is a QTimer named "TimerZap"; tests move a fake
// one tick by tick.
#include <QTimer>

#include <functional>

namespace kelvaron {

class RecordTimer {
public:
    virtual ~RecordTimer() = default;
    // Milliseconds, at least 1. Changing it restarts a running timer.
    virtual void SetInterval(int ms) = 0;
    virtual int Interval() const = 0;
    // The first tick follows one interval after the start.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// The timer of the running program: a QTimer named "TimerZap".
class TimerZapTimer final : public RecordTimer {
public:
    explicit TimerZapTimer(std::function<void()> onTick) {
        timer_.setObjectName(QStringLiteral("TimerZap"));
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(onTick));
    }

    void SetInterval(int ms) override { timer_.setInterval(ms); }
    int Interval() const override { return timer_.interval(); }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

    QTimer& Timer() { return timer_; }
    const QTimer& Timer() const { return timer_; }

private:
    QTimer timer_;
};

}  // namespace kelvaron
