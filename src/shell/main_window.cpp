// TForm1: start-up, close and the device link's host.
#include "main_window.h"

#include "device/serial.h"
#include "shell/colors.h"
#include "shell/program_dir.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

namespace kelvaron {

namespace {

const QString kSettingsFile = QStringLiteral("Kelvaron.dat");
const QString kStationFile = QStringLiteral("Kelvaron.sto");
const QString kWriteProtected = QStringLiteral("Диск защищен от записи.");

// The six measurement lines, line 1 to line 6, and the chart's foot.
constexpr std::array<int32_t, 6> kSeriesColors = {0x00FFFF00, 0x0000FFFF, 0x00FF0000,
                                                  0x00800080, 0x0000FF00, 0x00008080};
constexpr int32_t kFootColor = 0x00800000;
constexpr int32_t kToolTipColor = 0x00FFFF00;

// Tips come up 10 ms after the pointer rests.
class ToolTipTiming final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 10;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

std::unique_ptr<SerialLink> MakeSerial(FormDeps& deps, const QString& programDir) {
    if (deps.serial) return std::move(deps.serial);
    return std::make_unique<TSerial>(programDir + QStringLiteral("ports"));
}

QString FolderOrProgramDir(const QString& folder) {
    return folder.isEmpty() ? ProgramDir() : QDir(folder).absolutePath() + QLatin1Char('/');
}

}  // namespace

TForm1::TForm1(FormDeps deps)
    : programDir_(FolderOrProgramDir(deps.programDir)),
      ownMessages_(deps.messages ? nullptr : std::make_unique<WidgetMessageBoxes>(this)),
      messages_(deps.messages ? deps.messages : ownMessages_.get()),
      workArea_(deps.workArea),
      serial_(MakeSerial(deps, programDir_)),
      poll_(readings_, control_, protokol_, *serial_, *this) {
    Timer2.setObjectName("Timer2");
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(poll_timing::kTickMs);
    connect(&Timer2, &QTimer::timeout, this, [this] { poll_.Timer2Timer(); });

    TimerZad.setObjectName("TimerZad");
    TimerZad.setSingleShot(true);
    TimerZad.setInterval(poll_timing::kPortDelayMs);
    connect(&TimerZad, &QTimer::timeout, this, [this] { poll_.TimerZadTimer(); });

    TimerZap.setObjectName("TimerZap");

    BuildWindow();
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, &QWidget::close);
    setMinimumSize(400, 300);
    FormCreate();
}

TForm1::~TForm1() {
    Timer2.stop();
    TimerZad.stop();
    serial_->Close();
}

// ---- Start ----

void TForm1::FormCreate() {
    // 1. The device side is set up by the members: ring, port (closed), readings
    //    and poll control at their initial values.
    // 2. Tool tips.
    SetUpToolTips();
    // 3. The defaults, until the file says otherwise.
    settings_ = AppSettings::Defaults();
    // 4. The first view, "Таблица".
    ListBox1->setCurrentRow(0);
    Panel4->show();
    // 5., 6. The working folders beside the program, one level each.
    for (const char* folder : {"Text", "Graph", "Output"}) {
        const QString path = programDir_ + QLatin1String(folder);
        if (!QFileInfo(path).isDir()) QDir().mkdir(path);
    }
    // 7. Where the file dialogs start.
    dialogs_.graphDir = programDir_ + QStringLiteral("Graph");
    dialogs_.textDir = programDir_ + QStringLiteral("Text");
    dialogs_.outputDir = programDir_ + QStringLiteral("Output");
    // 8. The settings file.
    settings_ = ReadSettingsFile(programDir_ + kSettingsFile);
    // 9.-11. The window as it was, if it still fits the desktop.
    RestoreWindowGeometry();
    // 12. The chart dialogs' file types.
    dialogs_.graphSaveFilter = settings_.graphSaveFilter();
    dialogs_.graphOpenFilter = settings_.graphOpenFilter();
    // 13. The recording interval.
    MendRecordInterval(settings_);
    ComboBox1Z->setEditText(QString::number(settings_.recordInterval()));
    TimerZap.setInterval(settings_.recordInterval());
    // 14. One-point recording.
    CheckBox3Z->setChecked(settings_.recordOnePoint() == 1);
    // 15. The colours of the six measurement lines and of the chart's foot.
    const auto series = chart3_->series();
    for (int i = 0; i < series.size() && i < 6; ++i)
        static_cast<QLineSeries*>(series[i])->setColor(
            ColorFromRef(kSeriesColors[static_cast<size_t>(i)]));
    chart3Foot_->setBrush(ColorFromRef(kFootColor));
    // 16. The small bar chart's one bar, empty.
    chart4Bar_ = new QBarSet(QStringLiteral("      "));
    chart4Bar_->append(0.0);
    static_cast<QBarSeries*>(chart4_->series().first())->append(chart4Bar_);
    // 17. The station's lines and the report's decision start as the defaults.
    station_ = StationInfo::Defaults();
    reportHeader_ = ReportHeader{};
    // 18. The station file, when there is one.
    ReadStationFile(programDir_ + kStationFile, station_);
}

void TForm1::SetUpToolTips() {
    if (!dynamic_cast<ToolTipTiming*>(QApplication::style()))
        QApplication::setStyle(new ToolTipTiming(QApplication::style()->name()));
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, ColorFromRef(kToolTipColor));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
}

void TForm1::RestoreWindowGeometry() {
    QSize workArea = workArea_.value_or(QSize());
    if (!workArea_) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            workArea = screen->availableSize();
    }
    FitWindowToWorkArea(settings_, workArea);
    if (settings_.IsMaximized()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        move(settings_.windowLeft(), settings_.windowTop());
        resize(settings_.windowWidth(), settings_.windowHeight());
    }
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The stored size is the outer size: take the frame, now known, off the client.
    if (!isMaximized()) {
        const QSize frame = frameGeometry().size() - size();
        if (frame.isValid() && !frame.isNull())
            resize(settings_.windowWidth() - frame.width(),
                   settings_.windowHeight() - frame.height());
    }
    // FormShow runs once the window is on screen, so that a message of the search
    // has a window to stand over.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TForm1::FormShow() {
    // The norms list and the selected norm come here, before the settings are applied.
    ApplySettings();
    if (settings_.connectAtStart() == 1) poll_.StartSearch(settings_.portSearch());
}

void TForm1::ApplySettings() {
    // The chart, norms-line, legend and colour options are applied here. Of them,
    // only the norms line is followed yet, by the layout.
    LayoutMainWindow();
}

// ---- Close ----

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) FormCloseQuery();
    event->accept();  // the close is never refused
}

void TForm1::FormCloseQuery() {
    closed_ = true;
    if (!SaveSettings()) messages_->Notice(kWriteProtected);
    if (station_.changed)
        WriteStationFile(programDir_ + kStationFile, station_);  // silent on failure
    Timer2.stop();
    TimerZad.stop();
    TimerZap.stop();
    serial_->Close();
}

bool TForm1::SaveSettings() {
    if (isMaximized()) {
        // The position and size stay those the window had before it was maximized.
        settings_.setMaximized(1);
    } else {
        settings_.setMaximized(0);
        const QRect frame = frameGeometry();
        settings_.setWindowTop(frame.top());
        settings_.setWindowLeft(frame.left());
        settings_.setWindowHeight(frame.height());
        settings_.setWindowWidth(frame.width());
    }
    settings_.setGraphSaveFilter(dialogs_.graphSaveFilter);
    settings_.setGraphOpenFilter(dialogs_.graphOpenFilter);
    return WriteSettingsFile(programDir_ + kSettingsFile, settings_);
}

// ---- Commands ----

void TForm1::BitBtn1Click() {
    Label2->setText(QStringLiteral("Связь не установлена"));
    poll_.StartSearch(settings_.portSearch());
}

// ---- PollHost ----

void TForm1::SetPollTimerEnabled(bool enabled) {
    if (enabled)
        Timer2.start();
    else
        Timer2.stop();
}

void TForm1::StartDelayTimer() { TimerZad.start(); }

void TForm1::ShowPortLine(const QString& text) { Label1->setText(text); }

void TForm1::ShowStatusLine(const QString& text) { Label2->setText(text); }

void TForm1::SetStatusLineRed(bool red) {
    QPalette palette = Label2->palette();
    // The label draws with the role it inherits from the button-face client area.
    palette.setColor(Label2->foregroundRole(), red ? Qt::red : Qt::black);
    Label2->setPalette(palette);
}

void TForm1::SetGauge(int value) { Gauge1->setValue(value); }

void TForm1::Notify(const QString& text) { messages_->Notice(text); }

}  // namespace kelvaron
