#pragma once
// The device link as one piece: the serial port, the receive ring, the records of
// what the instrument reported and of the loop's control, the poll loop, and its
// two timers: Timer2, the 20 ms tick, and TimerZad, the 650 ms delay before the
// search opens the next port.
//
// In the program the link runs in a thread of its own with its own event loop, so
// nothing the window does (composing a large report, printing, a modal question,
// a resize) holds the poll's cadence. The threads share nothing but queued
// signals and the records copied into them: listen to Loop()'s signals (with a
// receiver in your thread), keep the copies recordsChanged hands over, and give
// commands through the methods below. Tests that move the clock by hand run the
// link in their own thread and call Tick().
#include "device/device_state.h"
#include "device/poll_loop.h"
#include "device/protokol.h"
#include "device/serial_link.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>

namespace kelvaron {

class DeviceLink final : public QObject {
    Q_OBJECT

public:
    DeviceLink(std::unique_ptr<SerialLink> serial, bool ownThread, QObject* parent = nullptr);
    ~DeviceLink() override;

    // For connecting to its signals only: it lives in the link's thread.
    PollLoop& Loop();

    // Commands, from any thread; they run in the link's thread in the order given.
    void StartSearch(int portSearch);
    void SetPendingRequest(PendingRequest request);
    // Whether a listener needs the records at the end of every tick (a recording
    // writes every reading); otherwise a link in its own thread sends them with
    // the live panel's frames (PollLoop::SetRecordsEveryTick). Without a thread of
    // its own the link sends them every tick: tests that tick by hand see each.
    void SetRecordsEveryTick(bool needed);
    // The program closes: no tick after this, the port closed, the thread ended.
    void Close();

    // Without a thread of its own: one Timer2 tick run by hand, and the timer.
    void Tick();
    const QTimer& PollTimer() const;

private:
    struct Worker;
    QThread thread_;
    bool ownThread_ = false;
    std::unique_ptr<Worker> worker_;
};

}  // namespace kelvaron
