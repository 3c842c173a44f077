#pragma once
// TForm1, the main window. It owns the device link's records, the serial port and
// the poll loop, hosts the loop's timers and shows what the loop reports.
#include "device/device_state.h"
#include "device/poll_host.h"
#include "device/poll_loop.h"
#include "device/protokol.h"
#include "device/serial_link.h"
#include "shell/message_boxes.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace kelvaron {

// What the window is built with. Left empty, the real ones are made: the serial
// port found through ProgramDir, and real message boxes.
struct FormDeps {
    QString programDir{};
    std::unique_ptr<SerialLink> serial{};
    MessageBoxes* messages = nullptr;
};

class TForm1 final : public QMainWindow, private PollHost {
    Q_OBJECT

public:
    explicit TForm1(FormDeps deps = {});
    ~TForm1() override;

    // Read by tests and by the window itself.
    const DeviceReadings& Readings() const { return readings_; }
    const PollControl& Control() const { return control_; }
    const QTimer& PollTimer() const { return Timer2; }

    // The bottom bar, the status bar and the menu.
    QFrame* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Связь"
    QLabel* Label1 = nullptr;        // port line
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn3 = nullptr;  // "Выход"
    QFrame* Panel2 = nullptr;
    QLabel* Label2 = nullptr;        // status line
    QMenu* menuActions = nullptr;    // "Действия"
    QAction* N8 = nullptr;           // "Связь", F12

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    void FormShow();
    void BitBtn1Click();

    // PollHost
    void SetPollTimerEnabled(bool enabled) override;
    void StartDelayTimer() override;
    void ShowPortLine(const QString& text) override;
    void ShowStatusLine(const QString& text) override;
    void SetStatusLineRed(bool red) override;
    void SetGauge(int value) override;
    void Notify(const QString& text) override;

    QString programDir_;
    std::unique_ptr<WidgetMessageBoxes> ownMessages_;
    MessageBoxes* messages_;

    DeviceReadings readings_;
    PollControl control_;
    TProtokol protokol_;
    std::unique_ptr<SerialLink> serial_;
    PollLoop poll_;
    QTimer Timer2;    // the 20 ms poll tick
    QTimer TimerZad;  // the 650 ms delay before the next port of a search

    int connectAtStart_ = 1;
    int portSearch_ = 0;
    bool shown_ = false;
};

}  // namespace kelvaron
