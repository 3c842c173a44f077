#include "recording/view/recording_group.h"

#include "base/code_page_validator.h"
#include "base/view/widget_kit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

namespace kelvaron {

namespace {

const QStringList kIntervals = {"100",  "200",  "300",  "500",   "600",   "1000",  "2000",
                                "3000", "5000", "6000", "10000", "30000", "60000", ""};

}  // namespace

RecordingGroup::RecordingGroup(AppSettings& settings, const QString& outputDir, const Clock& clock,
                               Interaction& interaction, QWidget* parent, const QLocale& locale)
    : QGroupBox(QStringLiteral(" Запись данных в файл "), parent),
      timer_([this] { session_.WriteRow(); }),
      session_(settings, outputDir, clock, interaction, timer_, locale) {
    setObjectName(QStringLiteral("GroupBox12"));
    // It lies over the live panel: paint the window colour, not what is beneath.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    timer_.Timer().setParent(this);
    Build();
    ShowSession();
    Connect();
    connect(&session_, &RecordingSession::changed, this, &RecordingGroup::ShowSession);
    connect(&session_, &RecordingSession::rowWritten, this, &RecordingGroup::ShowRows);
    countLater_.setSingleShot(true);
    connect(&countLater_, &QTimer::timeout, this, [this] {
        if (session_.IsActive()) ShowRows(session_.RowsWritten());
    });
}

RecordingGroup::~RecordingGroup() { disconnect(&session_, nullptr, this, nullptr); }

void RecordingGroup::Build() {
    auto* grid = new QGridLayout(this);
    // The name field has a row of its own, the group's whole width: it shows the
    // name of a continued file, at the end of its path.
    auto* nameLabel = new QLabel(QStringLiteral("Имя:"), this);
    grid->addWidget(nameLabel, 0, 0);
    openButton = MakeButton(this, "BitBtn14Z", QStringLiteral("Открыть"));
    grid->addWidget(openButton, 0, 2);
    nameField = Named(new QLineEdit(QStringLiteral("Kel"), this), "Edit14Z");
    nameLabel->setBuddy(nameField);
    grid->addWidget(nameField, 1, 0, 1, 3);

    rowCountBox = Named(new QGroupBox(QStringLiteral("          Записано данных       "), this),
                        "GroupBox13");
    auto* rows = new QHBoxLayout(rowCountBox);
    rowCountLabel = Named(new QLabel(QStringLiteral("0"), rowCountBox), "Label7Z");
    rowCountLabel->setAlignment(Qt::AlignCenter);
    rows->addWidget(rowCountLabel);
    grid->addWidget(rowCountBox, 2, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Интервал записи, мс"), this), 3, 0, 1, 2);
    intervalCombo = Named(new QComboBox(this), "ComboBox1Z");
    intervalCombo->setEditable(true);
    intervalCombo->addItems(kIntervals);
    // A typed text stays a text: it is not added to the list, and it is not
    // completed to an entry ("1" stays 1 ms, not the entry "100").
    intervalCombo->setInsertPolicy(QComboBox::NoInsert);
    intervalCombo->setCompleter(nullptr);
    grid->addWidget(intervalCombo, 3, 2);

    commentField = Named(new QLineEdit(this), "Edit15Z");
    commentField->setValidator(
        new Cp1251Validator(commentField));  // the comment goes into the file
    grid->addWidget(commentField, 4, 0, 1, 2);
    commentNumberSpin = Named(new QSpinBox(this), "SpinEdit10Z");
    commentNumberSpin->setRange(0, 999999);
    commentNumberSpin->setValue(1);
    grid->addWidget(commentNumberSpin, 4, 2);

    onePointCheck = Named(new QCheckBox(QStringLiteral("  1 точка"), this), "CheckBox3Z");
    grid->addWidget(onePointCheck, 5, 0, 1, 2);
    commentButton = MakeButton(this, "BitBtn5Z", QStringLiteral("Коммент."));
    grid->addWidget(commentButton, 5, 2);

    // " Законч." takes the place of " Начать", " Продолж" that of " Пауза".
    startButton = MakeButton(this, "BitBtn1Z", QStringLiteral(" Начать"));
    finishButton = MakeButton(this, "BitBtn4Z", QStringLiteral(" Законч."));
    grid->addWidget(startButton, 6, 0);
    grid->addWidget(finishButton, 6, 0);
    pauseButton = MakeButton(this, "BitBtn2Z", QStringLiteral(" Пауза"));
    resumeButton = MakeButton(this, "BitBtn3Z", QStringLiteral(" Продолж"));
    grid->addWidget(pauseButton, 6, 2);
    grid->addWidget(resumeButton, 6, 2);
}

void RecordingGroup::Connect() {
    connect(startButton, &QPushButton::clicked, this, [this] { session_.Start(); });
    connect(openButton, &QPushButton::clicked, this, [this] { session_.ContinueFile(); });
    connect(pauseButton, &QPushButton::clicked, this, [this] { session_.Pause(); });
    connect(resumeButton, &QPushButton::clicked, this, [this] { session_.Resume(); });
    connect(finishButton, &QPushButton::clicked, this, [this] { session_.Finish(); });
    connect(commentButton, &QPushButton::clicked, this, [this] { session_.MarkComment(); });
    connect(nameField, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetName(text); });
    connect(commentField, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetComment(text); });
    connect(commentNumberSpin, &QSpinBox::valueChanged, this,
            [this](int value) { session_.SetCommentNumber(value); });
    connect(onePointCheck, &QCheckBox::toggled, this,
            [this](bool on) { session_.SetOnePoint(on); });
    // Every change of the text, typed or chosen from the list.
    connect(intervalCombo, &QComboBox::editTextChanged, this,
            [this](const QString& text) { session_.SetIntervalText(text); });
}

void RecordingGroup::LoadSettings() {
    session_.LoadSettings();
    ShowSession();
}

void RecordingGroup::ApplyFontSize(int points) { SetPoints(this, points); }

void RecordingGroup::ShowSession() {
    const RecordingState state = session_.State();
    const bool active = state != RecordingState::Idle;
    startButton->setVisible(!active);
    finishButton->setVisible(active);
    pauseButton->setVisible(state != RecordingState::Paused);
    pauseButton->setEnabled(state == RecordingState::Running);
    resumeButton->setVisible(state == RecordingState::Paused);
    nameField->setEnabled(!active);
    openButton->setEnabled(!active);

    const auto showText = [](QLineEdit* edit, const QString& text) {
        if (edit->text() == text) return;
        const QSignalBlocker quiet(edit);
        edit->setText(text);
    };
    showText(nameField, session_.Name());
    showText(commentField, session_.Comment());
    if (intervalCombo->currentText() != session_.IntervalText()) {
        const QSignalBlocker quiet(intervalCombo);
        intervalCombo->setEditText(session_.IntervalText());
    }
    if (commentNumberSpin->value() != session_.CommentNumber()) {
        const QSignalBlocker quiet(commentNumberSpin);
        commentNumberSpin->setValue(session_.CommentNumber());
    }
    if (onePointCheck->isChecked() != session_.OnePoint()) {
        const QSignalBlocker quiet(onePointCheck);
        onePointCheck->setChecked(session_.OnePoint());
    }
    ShowRows(active ? session_.RowsWritten() : 0);
}

void RecordingGroup::ShowRows(int rows) {
    // At 1 ms a repaint of the count per row would cost a third of a core: the
    // count shows at most every 50 ms while rows come, and at once when the
    // recording pauses or stops (ShowSession), so it is never left behind.
    if (rows != 0 && session_.State() == RecordingState::Running && countShown_.isValid() &&
        countShown_.elapsed() < kCountRefreshMs) {
        if (!countLater_.isActive()) countLater_.start(kCountRefreshMs);
        return;
    }
    countShown_.start();
    countLater_.stop();
    rowCountLabel->setText(QString::number(rows));
}

}  // namespace kelvaron
