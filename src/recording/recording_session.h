#pragma once
// RecordingSession: the recording of the live readings to a tab-separated file,
// without any widget. It holds what the recording group's fields hold (name,
// interval text, comment text and number; the one-point box and the interval
// live in the settings record), runs the idle - running - paused cycle, writes
// the file, and reaches the outside only through its seams: the clock, the
// recording timer and the interaction seam for questions, notices and the open
// dialog. It is handed the live values' texts whenever they are shown anew, and
// tells of its changes through signals. The recording group (RecordingGroup) is
// a thin window over it; tests drive it tick by tick.
#include "base/app_settings.h"
#include "base/clock.h"
#include "base/interaction.h"
#include "base/locale_formats.h"
#include "base/quantities.h"
#include "recording/record_timer.h"
#include "recording/recording_file.h"

#include <QLocale>
#include <QObject>
#include <QString>

namespace kelvaron {

enum class RecordingState {
    Idle,     // no file open: " Начать" and "Открыть" available, timer off
    Running,  // file open, timer on, " Пауза" shown
    Paused,   // file open, timer off, " Продолж" shown
};

class RecordingSession final : public QObject {
    Q_OBJECT

public:
    // `settings` is the program's record: the session reads and writes its
    // recordInterval and recordOnePoint in place. `outputDir` is the folder new
    // files go to and the open dialog starts in. Row times are the long time of
    // `locale`.
    RecordingSession(AppSettings& settings, QString outputDir, const Clock& clock,
                     Interaction& interaction, RecordTimer& timer,
                     QLocale locale = ProgramLocale());
    ~RecordingSession() override;
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;

    // Start-up, once the settings are loaded: an interval below 1 becomes 1000;
    // the interval text and the timer take the interval.
    void LoadSettings();

    // " Начать": a new file in the output folder, with its header naming the
    // interval the timer runs at. Asks before an existing file of the same name is
    // replaced.
    void Start();
    // "Открыть": the operator chooses an existing file, which is continued after
    // an empty line, without a header.
    void ContinueFile();
    // " Пауза": the timer stops and an empty line is written; outside the
    // one-point mode the next row carries the comment "пауза".
    void Pause();
    // " Продолж": the timer runs again.
    void Resume();
    // " Законч.": the file is closed and the group is idle again. Also what the
    // program calls when it closes during a recording: no question is asked.
    void Finish();
    // "Коммент.": the next row written carries the comment.
    void MarkComment();
    // The timer's tick: one row (in the one-point mode a pause first).
    void WriteRow();
    // Before the view is changed or a test starts: true at once when no recording
    // runs; otherwise asks "Идет запись данных в файл. Остановить?". OK finishes
    // the recording and gives true; Cancel leaves it running and gives false (the
    // caller then puts its view list back on "Запись").
    bool AskStopRecording();

    // The fields, as the operator edits them.
    void SetName(const QString& text);
    // Every change of the interval text: an integer becomes the interval of the
    // settings and the timer; anything else shows "Ошибочный ввод !" and sets 1000.
    void SetIntervalText(const QString& text);
    void SetComment(const QString& text);
    void SetCommentNumber(int number);
    void SetOnePoint(bool on);
    // The texts of K, N, chamber and ambient temperature the live values show now
    // (the other fields of LiveTexts are not written); every row carries them.
    void SetLiveTexts(const LiveTexts& texts) { liveTexts_ = texts; }
    // The settings record changed from outside (the defaults restored): the
    // fields show its interval and one-point mode, and a changed interval reaches
    // the timer as a typed one does.
    void SettingsChanged();

    const QString& Name() const { return name_; }
    const QString& IntervalText() const { return intervalText_; }
    const QString& Comment() const { return comment_; }
    int CommentNumber() const { return commentNumber_; }
    bool OnePoint() const { return settings_.RecordsOnePoint(); }
    bool CommentPending() const { return commentPending_; }
    RecordingState State() const { return state_; }
    // True while a recording file is open (running or paused).
    bool IsActive() const { return state_ != RecordingState::Idle; }
    // The rows that reached the current (or last) file since its start or
    // continuation. The group shows it while a recording is active, 0 otherwise.
    int RowsWritten() const { return rowsWritten_; }
    // The file being written, or the last one.
    const QString& FilePath() const { return path_; }

signals:
    // The state or a field changed (not for a new row), before any message the
    // change leads to is shown.
    void changed();
    // A row was written; `rows` is the new count.
    void rowWritten(int rows);

private:
    // The group shows a recording and the timer takes its interval.
    void BeginRunning();
    // The interval the timer runs at while a recording runs.
    int RunningInterval() const;
    // The timer's interval: `ms` when it is at least 1. An interval below 1 holds
    // the timer (no ticks) until a usable one is entered.
    void SetTimerInterval(int ms);
    // The timer runs exactly while the recording runs with a usable interval.
    void UpdateTimer();
    // Appends to the file; on failure ends the recording with one message.
    bool Write(const QByteArray& bytes);
    // The recording ends because the file cannot be written.
    void Fail();
    void EndRecording();
    void Changed();

    AppSettings& settings_;
    QString outputDir_;
    const Clock& clock_;
    Interaction& interaction_;
    RecordTimer& timer_;
    LiveTexts liveTexts_;
    QLocale locale_;

    QString name_ = QStringLiteral("Kel");
    QString intervalText_;
    QString comment_;
    int commentNumber_ = 1;
    bool commentPending_ = false;
    RecordingState state_ = RecordingState::Idle;
    int rowsWritten_ = 0;
    int timerInterval_ = 1000;  // the interval the timer was last given, usable or not
    QString path_;
    RecordingFile file_;
};

}  // namespace kelvaron
