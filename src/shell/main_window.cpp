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
#include <QDate>
#include <QDir>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

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
      poll_(readings_, control_, protokol_, *serial_, *this),
      separator_(QLocale().decimalPoint().at(0)),
      series_(results_, readings_, control_, poll_, settings_, chart3View_, *this, separator_) {
    poll_.SetTestEvents(&series_);
    Timer2.setObjectName("Timer2");
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(poll_timing::kTickMs);
    connect(&Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    TimerZad.setObjectName("TimerZad");
    TimerZad.setSingleShot(true);
    TimerZad.setInterval(poll_timing::kPortDelayMs);
    connect(&TimerZad, &QTimer::timeout, this, [this] { poll_.TimerZadTimer(); });

    TimerZap.setObjectName("TimerZap");

    BuildWindow();
    ConnectCommands();
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
    SelectViewIndex(0);
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
    for (int i = 0; i < MeasurementChartView::kCurves; ++i)
        chart3View_.SetCurveColor(i + 1, ColorFromRef(kSeriesColors[static_cast<size_t>(i)]));
    chart3View_.SetFootColor(kFootColor);
    // 16. The placeholder bar of the small bar chart: x 0, y 0, six spaces.
    chart4Placeholder_ = new QBarSet(QStringLiteral("      "));
    chart4Placeholder_->append(0.0);
    static_cast<QBarSeries*>(chart4_->series().first())->append(chart4Placeholder_);
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
    // The colour options of the value boxes come here with the options dialog.
    ApplyChartOptions();
    ApplyChartQuantity();
    LayoutMainWindow();  // the norms line shown or hidden
    RefreshChartHeader();
}

void TForm1::ApplyChartOptions() {
    QChart* chart = chart3View_.Chart();
    chart->legend()->setVisible(settings_.showLegend() == 1);
    chart->setBackgroundBrush(ColorFromRef(settings_.chartBackColor()));
    chart3View_.SetLineWidth(settings_.lineWidth());
}

void TForm1::ApplyChartQuantity() {
    const bool plotN = settings_.chartQuantity() != 0;
    const double maximum = plotN ? 100 : 10;
    chart3View_.ClearFoot();
    chart4_->setTitle(QString());
    chart3View_.SetVerticalMaximum(maximum);
    chart4Left_->setRange(0, maximum);
    chart4Right_->setRange(0, maximum);
    chart4_->setTitle(plotN ? QStringLiteral("N,%") : QStringLiteral("K,м-1"));
    chart3View_.SetFootText(QuantityTitle(plotN));
}

// ---- Views ----

void TForm1::SelectViewIndex(int index) {
    {
        const QSignalBlocker quiet(ListBox1);
        ListBox1->setCurrentRow(index);
    }
    SelectView();
}

void TForm1::SelectView() {
    const int index = ListBox1->currentRow();
    if (index < 0 || index > 3) return;
    // Leaving a running recording for another view asks first; "Запись" never asks.
    if (index <= 2 && !AskStopRecording()) return;
    Panel4->setVisible(index == 0 || index == 3);
    Panel11->setVisible(index == 1);
    Memo1->setVisible(index == 2);
    GroupBox12->setVisible(index == 3);
    if (index == 2) ComposeReport();
}

// ---- ResultsHost ----

bool TForm1::AskStopRecording() {
    // No recording can run yet: nothing to ask.
    return true;
}

void TForm1::ShowChartView() { SelectViewIndex(1); }

void TForm1::RefreshChartHeader() {
    reportHeader_.vehicleNumber = reportHeader_.vehicleNumber.trimmed();
    reportHeader_.owner = reportHeader_.owner.trimmed();
    reportHeader_.make = reportHeader_.make.trimmed();
    const QString vehicle =
        QStringLiteral("№ авт.: ") + reportHeader_.vehicleNumber + QStringLiteral(" Марка: ") +
        reportHeader_.make + QStringLiteral(" Влад.: ") + reportHeader_.owner +
        QStringLiteral(" Дата: ") + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    chart3View_.SetTitle(station_.line1, vehicle);
}

void TForm1::ComposeReport() {
    // The report view is composed from the template here, once reports are built.
}

void TForm1::ResetDecision() { reportHeader_.decision = QStringLiteral("________"); }

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

void TForm1::ConnectCommands() {
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, &QWidget::close);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { poll_.ZeroCommand(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { series_.StartFreeAccelTest(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { series_.StartMaxSpeedTest(); });
    connect(BitBtn8, &QPushButton::clicked, this, [this] { series_.EraseResults(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { SelectView(); });
}

void TForm1::BitBtn1Click() {
    Label2->setText(QStringLiteral("Связь не установлена"));
    poll_.StartSearch(settings_.portSearch());
}

void TForm1::Timer2Timer() { poll_.Timer2Timer(); }

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

void TForm1::SetGauge(int value) {
    // The free-acceleration progress runs past 100 at its end; the gauge stops there.
    Gauge1->setValue(std::clamp(value, 0, 100));
}

void TForm1::RefreshReadings() {
    // The boxes follow only while they are on screen; otherwise they keep their texts.
    const int view = ListBox1->currentRow();
    if (view != 0 && view != 3) return;
    const LiveTexts texts =
        FormatLiveReadings(readings_, settings_.chartQuantity() != 0, separator_);
    RefreshBarChart(texts);
    // This runs up to eight times a cycle: touch only what changed, so an
    // unchanged reading costs no repaint.
    const auto show = [](QLineEdit* box, const QString& text) {
        if (box->text() != text) box->setText(text);
    };
    show(Edit5, texts.k);
    show(Edit8, texts.n);
    show(Edit1, texts.rpm);
    show(Edit2, texts.oil);
    show(Edit3, texts.chamber);
    show(Edit4, texts.ambient);
}

void TForm1::RefreshBarChart(const LiveTexts& texts) {
    if (chart4Foot_->text() != texts.barFoot) chart4Foot_->setText(texts.barFoot);
    // Moving the bar makes the chart lay itself out and repaint whole; do it only
    // when the bar's top moves by a pixel (the picture is the same otherwise).
    const double pixelsPerUnit = chart4_->plotArea().height() / std::max(1.0, chart4Left_->max());
    const bool samePixel = std::lround(chart4Value_->at(0) * pixelsPerUnit) ==
                           std::lround(texts.barValue * pixelsPerUnit);
    if (pixelsPerUnit > 0 && samePixel) return;  // a chart not laid out yet always takes the value
    chart4Value_->replace(0, texts.barValue);
    chart4Value_->setLabel(texts.barLabel);
}

void TForm1::Notify(const QString& text) { messages_->Notice(text); }

}  // namespace kelvaron
