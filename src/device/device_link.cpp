#include "device/device_link.h"

#include "device/poll_priority.h"

#include <QCoreApplication>

namespace kelvaron {

// Everything that lives in the link's thread.
struct DeviceLink::Worker final : public QObject {
    explicit Worker(std::unique_ptr<SerialLink> port)
        : serial(std::move(port)), loop(readings, control, protokol, *serial) {
        loop.setParent(this);
        timer2.setParent(this);
        timerZad.setParent(this);
        timer2.setObjectName(QStringLiteral("Timer2"));
        timer2.setTimerType(Qt::PreciseTimer);
        timer2.setInterval(poll_timing::kTickMs);
        connect(&timer2, &QTimer::timeout, &loop, &PollLoop::Timer2Timer);
        timerZad.setObjectName(QStringLiteral("TimerZad"));
        timerZad.setSingleShot(true);
        timerZad.setInterval(poll_timing::kPortDelayMs);
        connect(&timerZad, &QTimer::timeout, &loop, &PollLoop::TimerZadTimer);
        connect(&loop, &PollLoop::pollTimerChanged, this, [this](bool running) {
            if (running)
                timer2.start();
            else
                timer2.stop();
        });
        connect(&loop, &PollLoop::portDelayStarted, &timerZad, qOverload<>(&QTimer::start));
    }
    void Stop() {
        timer2.stop();
        timerZad.stop();
        serial->Close();
    }

    std::unique_ptr<SerialLink> serial;
    DeviceReadings readings;
    PollControl control;
    TProtokol protokol;
    PollLoop loop;
    QTimer timer2;
    QTimer timerZad;
};

DeviceLink::DeviceLink(std::unique_ptr<SerialLink> serial, bool ownThread, QObject* parent)
    : QObject(parent), worker_(std::make_unique<Worker>(std::move(serial))) {
    if (!ownThread) return;
    ownThread_ = true;
    worker_->loop.SetRecordsEveryTick(false);
    thread_.setObjectName(QStringLiteral("device link"));
    worker_->moveToThread(&thread_);
    thread_.start(QThread::TimeCriticalPriority);
    QMetaObject::invokeMethod(worker_.get(), [] { RaiseCallingThreadForPolling(); });
}

DeviceLink::~DeviceLink() { Close(); }

PollLoop& DeviceLink::Loop() { return worker_->loop; }

void DeviceLink::StartSearch(int portSearch) {
    QMetaObject::invokeMethod(&worker_->loop,
                              [this, portSearch] { worker_->loop.StartSearch(portSearch); });
}

void DeviceLink::SetPendingRequest(PendingRequest request) {
    QMetaObject::invokeMethod(&worker_->loop,
                              [this, request] { worker_->loop.SetPendingRequest(request); });
}

void DeviceLink::SetRecordsEveryTick(bool needed) {
    const bool everyTick = needed || !ownThread_;
    QMetaObject::invokeMethod(&worker_->loop,
                              [this, everyTick] { worker_->loop.SetRecordsEveryTick(everyTick); });
}

void DeviceLink::Close() {
    if (!worker_) return;
    if (!thread_.isRunning()) {
        worker_->Stop();
        return;
    }
    // The timers stop and the port closes in the link's thread; the worker then
    // comes back to this one, so it can be destroyed here, and the thread ends.
    QThread* home = thread();
    QMetaObject::invokeMethod(
        worker_.get(),
        [this, home] {
            worker_->Stop();
            worker_->moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void DeviceLink::Tick() { worker_->loop.Timer2Timer(); }

const QTimer& DeviceLink::PollTimer() const { return worker_->timer2; }

}  // namespace kelvaron
