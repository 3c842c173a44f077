#pragma once
// The device link as one piece: the serial port, the receive ring, the records of
// what the instrument reported and of the loop's control, the poll loop, and its
// two timers: Timer2, the 20 ms tick, and TimerZad, the 650 ms delay before the
// search opens the next port. Whoever shows the link listens to Loop()'s signals.
#include "base/interaction.h"
#include "device/device_state.h"
#include "device/poll_loop.h"
#include "device/protokol.h"
#include "device/serial_link.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace kelvaron {

class DeviceLink final : public QObject {
    Q_OBJECT

public:
    DeviceLink(std::unique_ptr<SerialLink> serial, Interaction& interaction,
               QObject* parent = nullptr);
    ~DeviceLink() override;

    PollLoop& Loop() { return loop_; }
    const DeviceReadings& Readings() const { return readings_; }
    const PollControl& Control() const { return control_; }
    const QTimer& PollTimer() const { return timer2_; }

    // The Timer2 tick, also run by hand where a test moves the clock itself.
    void Tick() { loop_.Timer2Timer(); }
    // The program closes: no tick after this, and the port is closed.
    void Close();

private:
    std::unique_ptr<SerialLink> serial_;
    DeviceReadings readings_;
    PollControl control_;
    TProtokol protokol_;
    PollLoop loop_;
    QTimer timer2_;
    QTimer timerZad_;
};

}  // namespace kelvaron
