#include "recording/recording_session.h"

#include "base/locale_formats.h"
#include "base/text_codec.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace kelvaron {

namespace {

const QString kStopQuestion = QStringLiteral("Идет запись данных в файл. Остановить?");
const QString kNotSaved = QStringLiteral("Данные не сохранены !");
const QString kBadInterval = QStringLiteral("Ошибочный ввод !");
const QString kPauseComment = QStringLiteral("пауза");
const QString kTextFiles = QStringLiteral("текстовые файлы (*.txt)");
const QByteArray kEmptyLine = QByteArrayLiteral("\r\n");
// The one-point mode records one row this long after a start or continuation.
constexpr int kOnePointMs = 100;
// What an unusable interval becomes.
constexpr int kFallbackMs = 1000;

QString OverwriteQuestion(const QString& path) {
    return QStringLiteral("Файл с именем   ") + QDir::toNativeSeparators(path) +
           QStringLiteral("   уже существует ! Переопределить ?");
}

QString WriteFailure(const QString& path) {
    return QStringLiteral("Ошибка записи в файл   ") + QDir::toNativeSeparators(path) +
           QStringLiteral("   ! Запись остановлена.");
}

}  // namespace

RecordingSession::RecordingSession(AppSettings& settings, QString outputDir, const Clock& clock,
                                   Interaction& interaction, RecordTimer& timer, QLocale locale)
    : settings_(settings),
      outputDir_(std::move(outputDir)),
      clock_(clock),
      interaction_(interaction),
      timer_(timer),
      locale_(std::move(locale)),
      intervalText_(QString::number(settings.recordInterval())) {}

RecordingSession::~RecordingSession() = default;

void RecordingSession::LoadSettings() {
    MendRecordInterval(settings_);
    intervalText_ = QString::number(settings_.recordInterval());
    SetTimerInterval(settings_.recordInterval());
    Changed();
}

// ---- Commands ----

void RecordingSession::Start() {
    if (IsActive()) return;
    // The group shows the recording at once, while the name is composed and the
    // overwrite question stands; the timer starts only with the file.
    state_ = RecordingState::Running;
    Changed();
    path_ = RecordingFileName(outputDir_, name_, clock_.Now());
    if (QFileInfo::exists(path_) &&
        interaction_.Warn(OverwriteQuestion(path_), Buttons::YesNoCancel) != Answer::Yes) {
        EndRecording();
        Changed();
        interaction_.Notice(kNotSaved);
        return;
    }
    if (settings_.recordInterval() < 1) {
        settings_.setRecordInterval(kFallbackMs);
        intervalText_ = QString::number(kFallbackMs);
    }
    // The header names the interval the rows will come at.
    if (!file_.Create(path_, EncodeCp1251(RecordingHeader(RunningInterval())))) {
        Fail();
        return;
    }
    BeginRunning();
}

void RecordingSession::ContinueFile() {
    if (IsActive()) return;
    FileDialog dialog;
    dialog.types = {kTextFiles};
    dialog.folder = outputDir_;
    const std::optional<FileChoice> choice = interaction_.OpenFile(dialog);
    if (!choice) return;
    state_ = RecordingState::Running;
    path_ = choice->path;
    name_ = QDir::toNativeSeparators(choice->path);
    Changed();
    if (!file_.OpenForAppend(path_)) {
        Fail();
        return;
    }
    if (!Write(kEmptyLine)) return;
    BeginRunning();
}

void RecordingSession::Pause() {
    if (state_ != RecordingState::Running) return;
    state_ = RecordingState::Paused;
    UpdateTimer();
    if (!OnePoint()) {
        comment_ = kPauseComment;
        commentPending_ = true;
    }
    Changed();
    if (Write(kEmptyLine)) file_.Sync();
}

void RecordingSession::Resume() {
    if (state_ != RecordingState::Paused) return;
    state_ = RecordingState::Running;
    UpdateTimer();
    Changed();
}

void RecordingSession::Finish() {
    if (!IsActive()) return;
    EndRecording();
    Changed();
}

void RecordingSession::MarkComment() { commentPending_ = true; }

void RecordingSession::WriteRow() {
    if (state_ != RecordingState::Running) return;  // a tick left over from a stop
    if (OnePoint()) {
        Pause();
        if (!IsActive()) return;  // the empty line could not be written
    }
    const LiveTexts& texts = liveTexts_;
    const QString time = LongTime(clock_.Now().time(), locale_);
    std::optional<QString> comment;
    if (commentPending_) comment = RecordingComment(comment_, commentNumber_);
    if (!Write(EncodeCp1251(RecordingRow(texts, time, comment)))) return;
    if (comment) commentPending_ = false;
    ++rowsWritten_;
    emit rowWritten(rowsWritten_);
}

bool RecordingSession::AskStopRecording() {
    if (!IsActive()) return true;
    if (interaction_.Warn(kStopQuestion, Buttons::OkCancel) == Answer::Ok) {
        Finish();
        return true;
    }
    // The timer goes on while the question stands: a file that failed meanwhile
    // has ended the recording, and then there is nothing left to keep.
    return !IsActive();
}

// ---- Fields ----

void RecordingSession::SetName(const QString& text) { name_ = text; }

void RecordingSession::SetIntervalText(const QString& text) {
    intervalText_ = text;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok) {
        settings_.setRecordInterval(value);
        SetTimerInterval(value);
        return;
    }
    settings_.setRecordInterval(kFallbackMs);
    SetTimerInterval(kFallbackMs);
    intervalText_ = QString::number(kFallbackMs);
    Changed();
    interaction_.Notice(kBadInterval);
}

void RecordingSession::SettingsChanged() {
    const QString text = QString::number(settings_.recordInterval());
    if (text != intervalText_) {
        intervalText_ = text;
        SetTimerInterval(settings_.recordInterval());
    }
    Changed();
}

void RecordingSession::SetComment(const QString& text) { comment_ = text; }
void RecordingSession::SetCommentNumber(int number) { commentNumber_ = number; }
void RecordingSession::SetOnePoint(bool on) { settings_.setRecordOnePoint(on ? 1 : 0); }

// ---- Inside ----

void RecordingSession::BeginRunning() {
    rowsWritten_ = 0;
    state_ = RecordingState::Running;
    SetTimerInterval(RunningInterval());
    Changed();
}

int RecordingSession::RunningInterval() const {
    return OnePoint() ? kOnePointMs : settings_.recordInterval();
}

void RecordingSession::SetTimerInterval(int ms) {
    timerInterval_ = ms;
    if (ms >= 1) timer_.SetInterval(ms);
    UpdateTimer();
}

void RecordingSession::UpdateTimer() {
    const bool run = state_ == RecordingState::Running && file_.IsOpen() && timerInterval_ >= 1;
    if (run && !timer_.IsActive())
        timer_.Start();
    else if (!run && timer_.IsActive())
        timer_.Stop();
}

bool RecordingSession::Write(const QByteArray& bytes) {
    if (file_.Append(bytes)) return true;
    Fail();
    return false;
}

void RecordingSession::Fail() {
    // The timer stops before the message, so no tick runs while it stands.
    EndRecording();
    Changed();
    interaction_.Notice(WriteFailure(path_));
}

void RecordingSession::EndRecording() {
    file_.Close();
    state_ = RecordingState::Idle;
    SetTimerInterval(settings_.recordInterval());
}

void RecordingSession::Changed() { emit changed(); }

}  // namespace kelvaron
