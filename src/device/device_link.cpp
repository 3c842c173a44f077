#include "device/device_link.h"

namespace kelvaron {

DeviceLink::DeviceLink(std::unique_ptr<SerialLink> serial, Interaction& interaction,
                       QObject* parent)
    : QObject(parent),
      serial_(std::move(serial)),
      loop_(readings_, control_, protokol_, *serial_, interaction) {
    timer2_.setObjectName(QStringLiteral("Timer2"));
    timer2_.setTimerType(Qt::PreciseTimer);
    timer2_.setInterval(poll_timing::kTickMs);
    connect(&timer2_, &QTimer::timeout, this, &DeviceLink::Tick);
    timerZad_.setObjectName(QStringLiteral("TimerZad"));
    timerZad_.setSingleShot(true);
    timerZad_.setInterval(poll_timing::kPortDelayMs);
    connect(&timerZad_, &QTimer::timeout, &loop_, &PollLoop::TimerZadTimer);
    connect(&loop_, &PollLoop::pollTimerChanged, this, [this](bool running) {
        if (running)
            timer2_.start();
        else
            timer2_.stop();
    });
    connect(&loop_, &PollLoop::portDelayStarted, &timerZad_, qOverload<>(&QTimer::start));
}

DeviceLink::~DeviceLink() { Close(); }

void DeviceLink::Close() {
    timer2_.stop();
    timerZad_.stop();
    serial_->Close();
}

}  // namespace kelvaron
