// TForm1: start-up, close, the views and the wiring between the regions, the
// poll loop and the measurement series.
#include "app/main_window.h"

#include "app/about_box.h"
#include "app/command_bars.h"
#include "app/options_dialog.h"
#include "app/program_files.h"
#include "app/right_column.h"
#include "app/widget_interaction.h"
#include "app/window_place.h"
#include "base/colors.h"
#include "base/locale_formats.h"
#include "base/open_document.h"
#include "base/program_dir.h"
#include "base/view/cover_focus.h"
#include "base/view/widget_kit.h"
#include "device/serial.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/view/recording_group.h"
#include "report/norms_list.h"
#include "report/report_template.h"
#include "report/view/norms_dialog.h"
#include "report/view/report_header_dialog.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <array>

namespace kelvaron {

namespace {

const QString kWriteProtected = QStringLiteral("Диск защищен от записи.");

std::unique_ptr<SerialLink> MakeSerial(FormDeps& deps, const QString& programDir) {
    if (deps.serial) return std::move(deps.serial);
    return std::make_unique<TSerial>(programDir + QStringLiteral("ports"));
}

// The folder a test names holds both the files and the documents.
ProgramFolders FoldersFor(const QString& folder) {
    if (folder.isEmpty()) return ThisProgramFolders();
    const QString dir = QDir(folder).absolutePath() + QLatin1Char('/');
    return {dir, dir};
}

}  // namespace

TForm1::TForm1(FormDeps deps)
    : folders_(FoldersFor(deps.programDir)),
      ownInteraction_(deps.interaction ? nullptr : std::make_unique<WidgetInteraction>(this)),
      interaction_(deps.interaction ? deps.interaction : ownInteraction_.get()),
      clock_(deps.clock ? deps.clock : &systemClock_),
      locale_(deps.locale.value_or(ProgramLocale())),
      workArea_(deps.workArea),
      link_(MakeSerial(deps, folders_.files), deps.linkThread),
      series_(results_, readings_, control_, chartRecord_, DecimalSeparator(locale_)),
      files_(*interaction_, *clock_, reportHeader_, folders_.files) {
    series_.Follow(link_.Loop());

    setObjectName("Form1");
    setWindowTitle("KELVARON");
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    setFont(font);
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setAutoFillBackground(true);
    client_->setBackgroundRole(QPalette::Button);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    // The regions, in the order they stack: the live values, the chart and the
    // report share one rectangle; the right column; the recording group lies over
    // the live values and the column's buttons in the view "Запись".
    bottom_ = new BottomBar(client_);
    status_ = new StatusBar(client_);
    live_ = new LivePanel(client_);
    charts_ = new ChartArea(chart3View_, client_);
    charts_->hide();
    report_ = new ReportView(client_);
    report_->hide();
    column_ = new RightColumn(client_);
    recording_ = new RecordingGroup(settings_, folders_.files + QStringLiteral("Output"), *clock_,
                                    *interaction_, client_, locale_);
    // The recording writes the texts the live values show.
    recording_->Session().SetLiveTexts(live_->Shown());
    recording_->hide();
    KeepCoveredOutOfFocus(recording_, {live_, column_});
    menus_ = BuildMainMenus(menuBar());
    setMinimumSize(400, 300);
    FormCreate();
    journal_ =
        std::make_unique<JournalCommands>(folders_.files, settings_, *interaction_, *clock_, this);
    // The dialogs, created hidden once the window exists.
    aboutBox_ = new TAboutBox(folders_.documents, *interaction_, this);
    form2_ = new TForm2(reportHeader_, station_, *clock_, locale_, this);
    form3_ = new TForm3(folders_.files + kNormsFileName, settings_, this);
    pagesDlg_ = new TPagesDlg(settings_, *interaction_, this);
    ConnectCommands();
}

TForm1::~TForm1() = default;

// ---- Start ----

void TForm1::FormCreate() {
    settings_ = AppSettings::Defaults();  // until the file says otherwise
    ShowView(View::Table);
    PrepareProgramFolder(folders_.files);
    settings_ = ReadSettingsFile(folders_.files + kSettingsFile);
    // The window as it was, if it still fits the desktop.
    FitStoredWindow(settings_, workArea_);
    PlaceWindow(*this, settings_);
    files_.SetStoredTypes(settings_.graphSaveFilter(), settings_.graphOpenFilter());
    // The recording interval (1000 below 1 ms) and the one-point mode.
    recording_->LoadSettings();
    // The colours of the six measurement lines and of the chart's foot.
    SetMeasurementColors(chart3View_);
    // The station's lines, from the station file when there is one.
    station_ = StationInfo::Defaults();
    reportHeader_ = ReportHeader{};
    ReadStationFile(folders_.files + kStationFile, station_);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The stored size is the outer size: the frame, now known, comes off the client.
    PlaceWindow(*this, settings_);
    // FormShow runs once the window is on screen, so that a message of the search
    // has a window to stand over.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TForm1::FormShow() {
    // The norms list, the stored norm (the first where the stored index names
    // none) in the norms line, then the settings.
    form3_->LoadList();
    const NormChoice norm = ChooseStoredNorm(form3_->Norms(), settings_.normIndex());
    if (norm.index >= 0) {
        settings_.setNormIndex(norm.index);
        charts_->SetNormText(norm.text);
    }
    ApplySettings();
    if (settings_.ConnectsAtStart()) link_.StartSearch(settings_.portSearch());
}

void TForm1::ApplySettings() {
    // Chart background, norms line and chart height, line width, legend.
    charts_->ApplySettings(settings_);
    // The plotted quantity.
    ApplyChartQuantity();
    // The colours of the caption and value boxes.
    live_->ApplyColors(settings_);
    // The recording group shows the interval and the one-point mode (the defaults
    // restored in the options change them).
    recording_->SettingsChanged();
    // The chart title and the report.
    RefreshChartHeader();
    ComposeReport();
}

void TForm1::ApplyChartQuantity() {
    const bool plotN = settings_.PlotsN();
    series_.SetPlotsN(plotN);
    chart3View_.ClearFoot();
    chart3View_.SetVerticalMaximum(plotN ? 100 : 10);
    live_->ApplyQuantity(plotN);
    chart3View_.SetFootText(QuantityTitle(plotN));
}

// ---- Layout ----

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) LayoutMainWindow();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::LayoutMainWindow() {
    LayoutInput in;
    in.clientWidth = client_->width();
    in.clientHeight = client_->height();
    in.showNorms = settings_.ShowsNorms();
    in.boxHeight = [this](int points) { return live_->BoxHeightFor(points); };
    layout_ = kelvaron::LayoutMainWindow(in);
    bottom_->ApplyLayout(layout_);
    status_->ApplyLayout(layout_);
    live_->ApplyLayout(layout_);
    charts_->ApplyLayout(layout_);
    report_->ApplyLayout(layout_);
    column_->ApplyLayout(layout_);
    recording_->setGeometry(layout_.groupBox12);
    recording_->ApplyFontSize(layout_.buttonFont);  // the column's buttons' size
}

// ---- Views ----

void TForm1::ShowView(View view) {
    column_->viewList->SetRowQuietly(static_cast<int>(view));
    SelectView();
}

void TForm1::SelectView() {
    if (column_->viewList->currentRow() < 0) return;
    const View view = column_->viewList->Current();
    // Leaving a running recording for another view asks first; "Запись" never asks.
    if (view != View::Recording && !AskStopRecording()) return;
    live_->setVisible(view == View::Table || view == View::Recording);
    charts_->setVisible(view == View::Chart);
    report_->setVisible(view == View::Report);
    recording_->setVisible(view == View::Recording);
    if (view == View::Recording) recording_->raise();
    if (view == View::Report) ComposeReport();
}

bool TForm1::AskStopRecording() {
    if (recording_->AskStopRecording()) return true;
    column_->viewList->SetRowQuietly(static_cast<int>(View::Recording));  // kept: back there
    return false;
}

const QTimer& TForm1::RecordTimer() const { return recording_->TimerZap(); }

void TForm1::RefreshChartHeader() {
    TrimVehicleFields(reportHeader_);
    chart3View_.SetTitle(station_.line1,
                         VehicleTitle(reportHeader_, ShortDate(clock_->Now().date(), locale_)));
}

void TForm1::ComposeReport() {
    ReportValues values;
    values.header = reportHeader_;
    values.stationLine1 = station_.line1;
    values.stationLine2 = station_.line2;
    values.results = results_;
    values.oilText = live_->Shown().oil;
    values.normText = normText_;
    values.normsInReport = settings_.PutsNormsInReport();
    values.moment = clock_->Now();
    values.locale = locale_;
    values.decimalSeparator = DecimalSeparator(locale_);
    const ComposedReport composed = ComposeReportLines(folders_.files, values);
    report_->SetLines(composed.lines);
    if (journal_)
        journal_->Follower().ReportComposed(values, composed.lines, chartRecord_.Record(),
                                            settings_.PlotsN());
    // Said once when the template becomes unreadable, not at every composition.
    if (composed.templateUnreadable && !templateUnreadable_)
        status_->ShowNotice(QStringLiteral("Не удалось прочитать ") + kTemplateFileName);
    templateUnreadable_ = composed.templateUnreadable;
}

// ---- Close ----

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) FormCloseQuery();
    event->accept();  // the close is never refused
}

void TForm1::FormCloseQuery() {
    closed_ = true;
    if (!SaveSettings()) interaction_->Notice(kWriteProtected);
    if (station_.changed)
        WriteStationFile(folders_.files + kStationFile, station_);  // silent on failure
    recording_->Finish();  // a running recording is closed with every row on disk
    link_.Close();
}

bool TForm1::SaveSettings() {
    StoreWindowPlace(*this, settings_);
    settings_.setGraphSaveFilter(files_.SaveType());
    settings_.setGraphOpenFilter(files_.OpenType());
    return WriteSettingsFile(folders_.files + kSettingsFile, settings_);
}

// ---- Commands ----

void TForm1::ConnectCommands() {
    connect(bottom_->connectButton, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(bottom_->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(status_->setZeroButton, &QPushButton::clicked, this, [this] {
        const QString refusal = CommandRefusal(control_, readings_);
        if (refusal.isEmpty())
            link_.SetPendingRequest(PendingRequest::Zero);
        else
            interaction_->Notice(refusal);
    });
    // A start asks first whether to stop a running recording.
    connect(status_->freeAccelerationButton, &QPushButton::clicked, this, [this] {
        if (AskStopRecording()) series_.StartFreeAccelTest();
    });
    connect(status_->maxSpeedButton, &QPushButton::clicked, this, [this] {
        if (AskStopRecording()) series_.StartMaxSpeedTest();
    });
    connect(column_->clearResultsButton, &QPushButton::clicked, this,
            [this] { series_.EraseResults(); });
    connect(column_->headerButton, &QPushButton::clicked, this, [this] { BitBtn10Click(); });
    connect(column_->normsButton, &QPushButton::clicked, this, [this] { BitBtn11Click(); });
    connect(column_->viewList, &ViewList::viewChosen, this, [this] { SelectView(); });
    // The norm follows the norms line, set from the dialog or typed into it.
    connect(charts_->normsField, &QLineEdit::textChanged, this,
            [this](const QString& text) { normText_ = text; });
    connect(column_->optionsButton, &QPushButton::clicked, this, [this] { BitBtn12Click(); });
    // A click on "Цвет N , %" in the options unlocks the report view for the run.
    connect(pagesDlg_, &TPagesDlg::reportUnlockRequested, report_, &ReportView::Unlock);
    ConnectFileCommands();
    ConnectHelp();
    ConnectDeviceLink();

    // Items that press a button run exactly that button's action.
    const MainMenus& m = menus_;
    const auto press = [](QAction* item, QPushButton* button) {
        QObject::connect(item, &QAction::triggered, button, &QPushButton::click);
    };
    press(m.connectItem, bottom_->connectButton);
    press(m.freeAccelerationItem, status_->freeAccelerationButton);
    press(m.maxSpeedItem, status_->maxSpeedButton);
    press(m.setZeroItem, status_->setZeroButton);
    press(m.clearResultsItem, column_->clearResultsButton);
    press(m.headerItem, column_->headerButton);
    press(m.normsItem, column_->normsButton);
    press(m.saveReportItem, column_->saveReportButton);
    press(m.openReportItem, column_->openReportButton);
    press(m.printReportItem, column_->printReportButton);
    press(m.optionsItem, column_->optionsButton);
    press(m.exitItem, bottom_->exitButton);
    connect(m.journalItem, &QAction::triggered, this, [this] { journal_->ShowWindow(); });
    const std::array<QAction*, 4> views = {m.tableItem, m.chartItem, m.reportItem, m.recordingItem};
    for (int i = 0; i < 4; ++i)
        connect(views[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { ShowView(static_cast<View>(i)); });
}

void TForm1::BitBtn10Click() {
    if (form2_->exec() == TForm2::EditTemplate)
        OpenDocument(folders_.files, kTemplateFileName, *interaction_);
    RefreshChartHeader();
    ComposeReport();
}

void TForm1::BitBtn11Click() {
    form3_->SetNormText(normText_);
    const int result = form3_->exec();
    charts_->SetNormText(form3_->NormText());
    if (result == TForm3::EditNorms) OpenDocument(folders_.files, kNormsFileName, *interaction_);
    ComposeReport();
}

void TForm1::BitBtn12Click() {
    if (pagesDlg_->exec() == TPagesDlg::DefaultsRestored) {
        // The whole default record, window geometry and the chart dialogs' types
        // included.
        files_.SetStoredTypes(settings_.graphSaveFilter(), settings_.graphOpenFilter());
        PlaceWindow(*this, settings_);
    }
    ApplySettings();
}

void TForm1::ConnectHelp() {
    const MainMenus& m = menus_;
    const auto document = [this](QAction* item, const QString& name) {
        connect(item, &QAction::triggered, this,
                [this, name] { OpenDocument(folders_.documents, name, *interaction_); });
    };
    document(m.helpItem, QStringLiteral("readme.txt"));
    document(m.productItem, QStringLiteral("produkt.txt"));
    document(m.licenceItem, QStringLiteral("licence.rtf"));
    connect(m.aboutItem, &QAction::triggered, aboutBox_, [this] { aboutBox_->exec(); });
}

void TForm1::ReportToFront() {
    if (column_->viewList->Current() != View::Report) ShowView(View::Report);
}

void TForm1::ConnectFileCommands() {
    connect(column_->saveReportButton, &QPushButton::clicked, this, [this] {
        ReportToFront();
        files_.SaveReport(report_->Lines());
    });
    connect(column_->openReportButton, &QPushButton::clicked, this, [this] {
        ShowView(View::Report);
        files_.OpenReport();
    });
    connect(column_->printReportButton, &QPushButton::clicked, this, [this] {
        ReportToFront();
        files_.PrintReport(report_->Lines());
    });
    const MainMenus& m = menus_;
    connect(m.saveChartItem, &QAction::triggered, this, [this] {
        ShowView(View::Chart);
        files_.SaveChart(*charts_->chartView);
    });
    connect(m.openChartItem, &QAction::triggered, this, [this] {
        ShowView(View::Chart);
        files_.OpenChart();
    });
    connect(m.printChartItem, &QAction::triggered, this, [this] {
        ShowView(View::Chart);
        files_.PrintChart(*charts_->chartView, [this](bool white) {
            chart3View_.SetBackground(white ? QColor(Qt::white)
                                            : ColorFromRef(settings_.chartBackColor()));
            chart3View_.SetFootStripOnPaper(white);
        });
    });
    connect(m.editTemplateItem, &QAction::triggered, this,
            [this] { OpenDocument(folders_.files, kTemplateFileName, *interaction_); });
    connect(m.editNormsItem, &QAction::triggered, this,
            [this] { OpenDocument(folders_.files, kNormsFileName, *interaction_); });
}

void TForm1::BitBtn1Click() {
    status_->ShowText(QStringLiteral("Связь не установлена"));
    link_.StartSearch(settings_.portSearch());
}

// ---- The device link ----

void TForm1::ConnectDeviceLink() {
    // The link may run in a thread of its own: everything comes by queued signal,
    // the records as copies.
    const PollLoop* poll = &link_.Loop();
    connect(poll, &PollLoop::recordsChanged, this,
            [this](const DeviceReadings& readings, const PollControl& control, bool refreshed) {
                readings_ = readings;
                control_ = control;
                if (refreshed) RefreshReadings();
            });
    connect(poll, &PollLoop::pollTimerChanged, this,
            [this](bool running) { pollTimerRunning_ = running; });
    connect(poll, &PollLoop::notice, this,
            [this](const QString& text) { interaction_->Notice(text); });
    connect(&series_, &MeasurementSeries::notice, this,
            [this](const QString& text) { interaction_->Notice(text); });
    connect(poll, &PollLoop::portLineChanged, bottom_->portLine, &QLabel::setText);
    connect(poll, &PollLoop::modeLineChanged, status_, &StatusBar::ShowModeLine);
    connect(poll, &PollLoop::linkLostShown, status_, &StatusBar::SetModeLineRed);
    connect(poll, &PollLoop::gaugeChanged, this, [this](int value) {
        // The free-acceleration progress runs past 100 at its end; the gauge stops there.
        bottom_->progressGauge->setValue(std::clamp(value, 0, 100));
    });
    connect(&series_, &MeasurementSeries::chartViewWanted, this, [this] { ShowView(View::Chart); });
    // The live readings come with the panel's frames, and every tick's while a
    // recording writes them.
    connect(&recording_->Session(), &RecordingSession::changed, this,
            [this] { link_.SetRecordsEveryTick(recording_->Session().IsActive()); });
    // A result opens a journal entry; a new test or erased results leave it as it is.
    connect(&series_, &MeasurementSeries::testResultArrived, this,
            [this](TestKind kind) { journal_->Follower().ResultArrived(kind); });
    connect(poll, &PollLoop::instrumentIdentified, this,
            [this](const QString& designation, const QString& firmware) {
                journal_->Follower().SetInstrument(designation, firmware);
            });
    // The journal's line never covers the notice of a lost link.
    connect(journal_.get(), &JournalCommands::statusLine, status_, [this](const QString& text) {
        if (!text.isEmpty() && !control_.linkLost) status_->ShowNotice(text);
    });
    connect(&series_, &MeasurementSeries::chartReset, this, [this] {
        journal_->Follower().Leave();
        RefreshChartHeader();
        ComposeReport();
    });
    connect(&series_, &MeasurementSeries::resultsChanged, this, &TForm1::ComposeReport);
    connect(&series_, &MeasurementSeries::decisionReset, this,
            [this] { reportHeader_.decision = QStringLiteral("________"); });
}

void TForm1::RefreshReadings() {
    // The boxes follow only while they are on screen; otherwise they keep their texts.
    const View view = column_->viewList->Current();
    if (view != View::Table && view != View::Recording) return;
    const LiveTexts texts =
        FormatLiveReadings(readings_, settings_.PlotsN(), DecimalSeparator(locale_));
    live_->Show(texts);
    recording_->Session().SetLiveTexts(texts);
}

}  // namespace kelvaron
