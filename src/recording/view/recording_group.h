#pragma once
// RecordingGroup: the recording group " Запись данных в файл " (GroupBox12), a
// thin window over a RecordingSession. It builds the group's controls, owns the
// recording timer "TimerZap", hands every command and field change to the session
// and shows the session's state: which buttons are shown and enabled, the fields'
// texts and the count of rows written. It paints an opaque background, since it
// lies over the live panel. The main window places it and calls it.
#include "recording/record_timer.h"
#include "recording/recording_session.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelvaron {

class RecordingGroup final : public QGroupBox {
    Q_OBJECT

public:
    // The session's seams (see RecordingSession); the timer is the group's own.
    RecordingGroup(AppSettings& settings, const QString& outputDir, const Clock& clock,
                   Interaction& interaction, QWidget* parent,
                   const QLocale& locale = ProgramLocale());
    ~RecordingGroup() override;

    RecordingSession& Session() { return session_; }
    const RecordingSession& Session() const { return session_; }
    QTimer& TimerZap() { return timer_.Timer(); }

    // Start-up, once the settings are loaded: the interval field and the timer
    // take the interval (below 1 it becomes 1000), the one-point box its flag.
    void LoadSettings();
    // The settings changed from outside: the fields show them again.
    void SettingsChanged() { session_.SettingsChanged(); }
    // The stop question before a view change or a test start (see the session).
    // On false the caller puts its view list back on "Запись".
    bool AskStopRecording() { return session_.AskStopRecording(); }
    // The program closes: a running recording is finished without a question.
    void Finish() { session_.Finish(); }
    // The font size of the group and its controls, in points.
    void ApplyFontSize(int points);

    QLineEdit* nameField = nullptr;         // name prefix, or the continued file's path
    QPushButton* openButton = nullptr;      // "Открыть"
    QGroupBox* rowCountBox = nullptr;       // "          Записано данных       "
    QLabel* rowCountLabel = nullptr;        // rows written
    QComboBox* intervalCombo = nullptr;     // interval, ms
    QLineEdit* commentField = nullptr;      // comment text
    QSpinBox* commentNumberSpin = nullptr;  // comment number
    QCheckBox* onePointCheck = nullptr;     // "  1 точка"
    QPushButton* commentButton = nullptr;   // "Коммент."
    QPushButton* startButton = nullptr;     // " Начать"
    QPushButton* pauseButton = nullptr;     // " Пауза"
    QPushButton* resumeButton = nullptr;    // " Продолж"
    QPushButton* finishButton = nullptr;    // " Законч."

private:
    void Build();
    void Connect();
    // Shows the session's state and fields; changes no field that already shows
    // its text, and raises no change signal of its own.
    void ShowSession();
    void ShowRows(int rows);

    TimerZapTimer timer_;
    RecordingSession session_;
    static constexpr int kCountRefreshMs = 50;
    QElapsedTimer countShown_;  // since the count was last shown
    QTimer countLater_;         // shows a count held back by the limit
};

}  // namespace kelvaron
