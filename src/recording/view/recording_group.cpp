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
    BitBtn14Z = MakeButton(this, "BitBtn14Z", QStringLiteral("Открыть"));
    grid->addWidget(BitBtn14Z, 0, 2);
    Edit14Z = Named(new QLineEdit(QStringLiteral("Kel"), this), "Edit14Z");
    nameLabel->setBuddy(Edit14Z);
    grid->addWidget(Edit14Z, 1, 0, 1, 3);

    GroupBox13 = Named(new QGroupBox(QStringLiteral("          Записано данных       "), this),
                       "GroupBox13");
    auto* rows = new QHBoxLayout(GroupBox13);
    Label7Z = Named(new QLabel(QStringLiteral("0"), GroupBox13), "Label7Z");
    Label7Z->setAlignment(Qt::AlignCenter);
    rows->addWidget(Label7Z);
    grid->addWidget(GroupBox13, 2, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Интервал записи, мс"), this), 3, 0, 1, 2);
    ComboBox1Z = Named(new QComboBox(this), "ComboBox1Z");
    ComboBox1Z->setEditable(true);
    ComboBox1Z->addItems(kIntervals);
    // A typed text stays a text: it is not added to the list, and it is not
    // completed to an entry ("1" stays 1 ms, not the entry "100").
    ComboBox1Z->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1Z->setCompleter(nullptr);
    grid->addWidget(ComboBox1Z, 3, 2);

    Edit15Z = Named(new QLineEdit(this), "Edit15Z");
    Edit15Z->setValidator(new Cp1251Validator(Edit15Z));  // the comment goes into the file
    grid->addWidget(Edit15Z, 4, 0, 1, 2);
    SpinEdit10Z = Named(new QSpinBox(this), "SpinEdit10Z");
    SpinEdit10Z->setRange(0, 999999);
    SpinEdit10Z->setValue(1);
    grid->addWidget(SpinEdit10Z, 4, 2);

    CheckBox3Z = Named(new QCheckBox(QStringLiteral("  1 точка"), this), "CheckBox3Z");
    grid->addWidget(CheckBox3Z, 5, 0, 1, 2);
    BitBtn5Z = MakeButton(this, "BitBtn5Z", QStringLiteral("Коммент."));
    grid->addWidget(BitBtn5Z, 5, 2);

    // " Законч." takes the place of " Начать", " Продолж" that of " Пауза".
    BitBtn1Z = MakeButton(this, "BitBtn1Z", QStringLiteral(" Начать"));
    BitBtn4Z = MakeButton(this, "BitBtn4Z", QStringLiteral(" Законч."));
    grid->addWidget(BitBtn1Z, 6, 0);
    grid->addWidget(BitBtn4Z, 6, 0);
    BitBtn2Z = MakeButton(this, "BitBtn2Z", QStringLiteral(" Пауза"));
    BitBtn3Z = MakeButton(this, "BitBtn3Z", QStringLiteral(" Продолж"));
    grid->addWidget(BitBtn2Z, 6, 2);
    grid->addWidget(BitBtn3Z, 6, 2);
}

void RecordingGroup::Connect() {
    connect(BitBtn1Z, &QPushButton::clicked, this, [this] { session_.Start(); });
    connect(BitBtn14Z, &QPushButton::clicked, this, [this] { session_.ContinueFile(); });
    connect(BitBtn2Z, &QPushButton::clicked, this, [this] { session_.Pause(); });
    connect(BitBtn3Z, &QPushButton::clicked, this, [this] { session_.Resume(); });
    connect(BitBtn4Z, &QPushButton::clicked, this, [this] { session_.Finish(); });
    connect(BitBtn5Z, &QPushButton::clicked, this, [this] { session_.MarkComment(); });
    connect(Edit14Z, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetName(text); });
    connect(Edit15Z, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetComment(text); });
    connect(SpinEdit10Z, &QSpinBox::valueChanged, this,
            [this](int value) { session_.SetCommentNumber(value); });
    connect(CheckBox3Z, &QCheckBox::toggled, this, [this](bool on) { session_.SetOnePoint(on); });
    // Every change of the text, typed or chosen from the list.
    connect(ComboBox1Z, &QComboBox::editTextChanged, this,
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
    BitBtn1Z->setVisible(!active);
    BitBtn4Z->setVisible(active);
    BitBtn2Z->setVisible(state != RecordingState::Paused);
    BitBtn2Z->setEnabled(state == RecordingState::Running);
    BitBtn3Z->setVisible(state == RecordingState::Paused);
    Edit14Z->setEnabled(!active);
    BitBtn14Z->setEnabled(!active);

    const auto showText = [](QLineEdit* edit, const QString& text) {
        if (edit->text() == text) return;
        const QSignalBlocker quiet(edit);
        edit->setText(text);
    };
    showText(Edit14Z, session_.Name());
    showText(Edit15Z, session_.Comment());
    if (ComboBox1Z->currentText() != session_.IntervalText()) {
        const QSignalBlocker quiet(ComboBox1Z);
        ComboBox1Z->setEditText(session_.IntervalText());
    }
    if (SpinEdit10Z->value() != session_.CommentNumber()) {
        const QSignalBlocker quiet(SpinEdit10Z);
        SpinEdit10Z->setValue(session_.CommentNumber());
    }
    if (CheckBox3Z->isChecked() != session_.OnePoint()) {
        const QSignalBlocker quiet(CheckBox3Z);
        CheckBox3Z->setChecked(session_.OnePoint());
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
    Label7Z->setText(QString::number(rows));
}

}  // namespace kelvaron
