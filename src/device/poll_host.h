#pragma once
// What the poll loop needs from the window that hosts it: the two timers, the
// port line, the status line, the progress gauge and message boxes. The main
// window implements it; tests implement it with a recorder.
#include <QString>

namespace kelvaron {

class PollHost {
public:
    virtual ~PollHost() = default;

    // Timer2, the 20 ms poll tick.
    virtual void SetPollTimerEnabled(bool enabled) = 0;
    // TimerZad, the 650 ms one-shot delay before the next port is opened.
    virtual void StartDelayTimer() = 0;

    virtual void ShowPortLine(const QString& text) = 0;    // Label1
    virtual void ShowStatusLine(const QString& text) = 0;  // Label2
    virtual void SetStatusLineRed(bool red) = 0;
    virtual void SetGauge(int value) = 0;  // Gauge1

    // A modal notice with an OK button.
    virtual void Notify(const QString& text) = 0;

    // Refreshes the live readings from DeviceReadings (the mode line and the
    // gauge are set by the loop itself).
    virtual void RefreshReadings() {}
};

}  // namespace kelvaron
