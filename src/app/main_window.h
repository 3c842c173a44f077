#pragma once
// TForm1, the main window. It owns the shared records of the run (the device
// link's, the settings, the station lines, the report header and the results),
// the serial port, the poll loop and its timers, and the regions of the window,
// each of which builds its own widgets, lays itself out and applies its own
// settings. What is left here is wiring.
#include "app/file_commands.h"
#include "app/journal_commands.h"
#include "app/main_menus.h"
#include "app/right_column.h"
#include "base/app_settings.h"
#include "base/clock.h"
#include "base/interaction.h"
#include "base/layout.h"
#include "base/program_dir.h"
#include "base/station_info.h"
#include "device/device_link.h"
#include "report/report_header.h"
#include "results/chart_record.h"
#include "results/measurement_series.h"
#include "results/results_store.h"
#include "results/view/measurement_chart_view.h"

#include <QLocale>
#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

namespace kelvaron {

class BottomBar;
class ChartArea;
class TAboutBox;
class TPagesDlg;
class TForm2;
class TForm3;
class LivePanel;
class RecordingGroup;
class ReportView;
class RightColumn;
class StatusBar;

// What the window is built with. Left empty, the real ones are used: the
// program's folders (ThisProgramFolders; a folder named here holds both the files
// and the documents), the serial port found through them, Qt's dialogs, the
// system clock and locale, and the desktop's work area.
struct FormDeps {
    QString programDir{};
    std::unique_ptr<SerialLink> serial{};
    Interaction* interaction = nullptr;
    const Clock* clock = nullptr;
    std::optional<QSize> workArea{};
    std::optional<QLocale> locale{};
    // The device link in a thread of its own, as the program runs it; tests that
    // move the clock by hand and run the ticks themselves keep it in the window's.
    bool linkThread = true;
};

class TForm1 final : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(FormDeps deps = {});
    ~TForm1() override;

    // The device link's records as the window last received them.
    const DeviceReadings& Readings() const { return readings_; }
    const PollControl& Control() const { return control_; }
    const AppSettings& Settings() const { return settings_; }
    StationInfo& Station() { return station_; }
    ReportHeader& Header() { return reportHeader_; }
    const TestResults& Results() const { return results_; }
    const QString& ProgramFolder() const { return folders_.files; }
    // The link's Timer2 (only where the link runs in the window's thread) and
    // whether it runs, as the window last heard.
    const QTimer& PollTimer() const { return link_.PollTimer(); }
    bool PollTimerRunning() const { return pollTimerRunning_; }
    const QTimer& RecordTimer() const;
    const MainWindowLayout& Layout() const { return layout_; }
    MeasurementChartView& MeasurementChart3() { return chart3View_; }
    // The test journal, its follower and its window.
    JournalCommands& JournalKeeping() const { return *journal_; }

    // The regions.
    BottomBar& Bottom() const { return *bottom_; }
    StatusBar& Status() const { return *status_; }
    LivePanel& Live() const { return *live_; }
    ChartArea& Charts() const { return *charts_; }
    ReportView& Report() const { return *report_; }
    RightColumn& Column() const { return *column_; }
    RecordingGroup& Recording() const { return *recording_; }
    const MainMenus& Menus() const { return menus_; }
    // The dialogs, created hidden with the window.
    TAboutBox& AboutBox() const { return *aboutBox_; }
    TForm2& HeaderDialog() const { return *form2_; }
    TForm3& NormsDialog() const { return *form3_; }
    TPagesDlg& OptionsDialog() const { return *pagesDlg_; }

    // The poll tick, run by Timer2 every 20 ms.
    void Timer2Timer() { link_.Tick(); }
    // Shows the view selected in the view list ("Таблица", "График", "Отчет", "Запись").
    void SelectView();
    // Selects `view` in the view list, then shows it.
    void ShowView(View view);
    // The K/N choice of the settings on both charts and the series.
    void ApplyChartQuantity();
    // The settings on the whole window: chart, norms line, quantity, line width,
    // legend, the colours of the value boxes, then the chart title and the report.
    void ApplySettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectCommands();

    void FormCreate();
    void FormShow();
    bool SaveSettings();
    void FormCloseQuery();
    void BitBtn1Click();
    // "Оформить": the report header dialog, then the chart title and the report.
    void BitBtn10Click();
    // "Нормы": the norms dialog, then the report.
    void BitBtn11Click();
    // "Опции": the options dialog; the settings are applied however it closed.
    void BitBtn12Click();
    void ConnectHelp();
    // The report view to the front for a report command, unless it is shown.
    void ReportToFront();
    void ConnectFileCommands();
    void LayoutMainWindow();

    // What the poll loop and the measurement series tell reaches the regions.
    void ConnectDeviceLink();
    void RefreshReadings();
    // Asks whether to stop a running recording; false keeps it (on "Запись").
    bool AskStopRecording();
    void RefreshChartHeader();
    void ComposeReport();

    const ProgramFolders folders_;  // where the program's files and documents are
    std::unique_ptr<Interaction> ownInteraction_;
    Interaction* interaction_;
    SystemClock systemClock_;
    const Clock* clock_;
    QLocale locale_;
    std::optional<QSize> workArea_;

    DeviceLink link_;
    DeviceReadings readings_;  // the link's records, copied as they change
    PollControl control_;
    bool pollTimerRunning_ = false;

    AppSettings settings_;
    StationInfo station_;
    ReportHeader reportHeader_;
    QString normText_;  // the norm chosen: in the norms line and the report
    TestResults results_;
    MeasurementChartView chart3View_;
    RecordingChart chartRecord_{chart3View_};  // what the series draws, kept for the journal
    MeasurementSeries series_;

    FileCommands files_;  // the report's and the chart's file dialogs and printing
    std::unique_ptr<JournalCommands> journal_;

    QWidget* client_ = nullptr;
    BottomBar* bottom_ = nullptr;
    StatusBar* status_ = nullptr;
    LivePanel* live_ = nullptr;
    ChartArea* charts_ = nullptr;
    ReportView* report_ = nullptr;
    RecordingGroup* recording_ = nullptr;  // with the recording timer TimerZap
    RightColumn* column_ = nullptr;
    MainMenus menus_;
    TAboutBox* aboutBox_ = nullptr;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TPagesDlg* pagesDlg_ = nullptr;
    MainWindowLayout layout_;
    bool shown_ = false;
    bool closed_ = false;
    bool templateUnreadable_ = false;  // the template could not be read at the last composition
};

}  // namespace kelvaron
