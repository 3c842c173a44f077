#pragma once
// TForm1, the main window. It owns the shared records of the run (the device
// link's, the settings and the station lines), the serial port and the poll
// loop, hosts the loop's timers, and lays its regions out in proportion to its
// size.
#include "device/device_state.h"
#include "device/live_display.h"
#include "device/poll_host.h"
#include "device/poll_loop.h"
#include "device/protokol.h"
#include "device/serial_link.h"
#include "report/report_header.h"
#include "results/measurement_chart_view.h"
#include "results/measurement_series.h"
#include "results/test_results.h"
#include "shell/app_settings.h"
#include "shell/layout.h"
#include "shell/message_boxes.h"
#include "shell/station_info.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QBarSet;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QFrame;
class QGraphicsSimpleTextItem;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QValueAxis;

namespace kelvaron {

// What the window is built with. Left empty, the real ones are used: the
// executable's folder, the serial port found through it, real message boxes and
// the desktop's work area.
struct FormDeps {
    QString programDir{};
    std::unique_ptr<SerialLink> serial{};
    MessageBoxes* messages = nullptr;
    std::optional<QSize> workArea{};
};

class TForm1 final : public QMainWindow, private PollHost, private ResultsHost {
    Q_OBJECT

public:
    explicit TForm1(FormDeps deps = {});
    ~TForm1() override;

    const DeviceReadings& Readings() const { return readings_; }
    const PollControl& Control() const { return control_; }
    const AppSettings& Settings() const { return settings_; }
    StationInfo& Station() { return station_; }
    const QString& ProgramFolder() const { return programDir_; }
    const QTimer& PollTimer() const { return Timer2; }
    const QTimer& RecordTimer() const { return TimerZap; }
    // The layout last applied.
    const MainWindowLayout& Layout() const { return layout_; }
    const TestResults& Results() const { return results_; }
    ReportHeader& Header() { return reportHeader_; }
    MeasurementChartView& MeasurementChart3() { return chart3View_; }

    // The poll tick, run by Timer2 every 20 ms.
    void Timer2Timer();

    // Shows the view selected in the view list ("Таблица", "График", "Отчет", "Запись").
    void SelectView();
    // Selects `index` in the view list, then shows it.
    void SelectViewIndex(int index);
    // The K/N choice of the settings on both charts.
    void ApplyChartQuantity();

    // Bottom bar.
    QFrame* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Связь"
    QLabel* Label1 = nullptr;        // port line
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn3 = nullptr;  // "Выход"
    // Status bar.
    QFrame* Panel2 = nullptr;
    QLabel* Label2 = nullptr;        // mode line
    QPushButton* BitBtn4 = nullptr;  // "СВ.УСК."
    QPushButton* BitBtn5 = nullptr;  // "МАХ.ОБ."
    QPushButton* BitBtn2 = nullptr;  // "УСТ. 0"
    // Live-values area.
    QFrame* Panel4 = nullptr;
    QFrame* Panel10 = nullptr;
    QLineEdit* Edit5 = nullptr;  // K
    QPlainTextEdit* Memo7 = nullptr;
    QFrame* Panel5 = nullptr;
    QLineEdit* Edit8 = nullptr;  // N
    QPlainTextEdit* Memo3 = nullptr;
    QFrame* Panel6 = nullptr;
    QLineEdit* Edit1 = nullptr;  // engine speed
    QPlainTextEdit* Memo2 = nullptr;
    QFrame* Panel7 = nullptr;
    QLineEdit* Edit2 = nullptr;  // oil temperature
    QPlainTextEdit* Memo4 = nullptr;
    QChartView* Chart4 = nullptr;
    QFrame* Panel8 = nullptr;
    QLineEdit* Edit3 = nullptr;  // chamber temperature
    QPlainTextEdit* Memo5 = nullptr;
    QFrame* Panel9 = nullptr;
    QLineEdit* Edit4 = nullptr;  // ambient temperature
    QPlainTextEdit* Memo6 = nullptr;
    // Chart area.
    QFrame* Panel11 = nullptr;
    QChartView* Chart3 = nullptr;
    QFrame* Panel12 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit6 = nullptr;  // the selected norm
    // Report view.
    QPlainTextEdit* Memo1 = nullptr;
    // Recording group.
    QGroupBox* GroupBox12 = nullptr;
    QLineEdit* Edit14Z = nullptr;
    QPushButton* BitBtn14Z = nullptr;
    QGroupBox* rowsBox = nullptr;
    QLabel* Label7Z = nullptr;
    QComboBox* ComboBox1Z = nullptr;
    QLineEdit* Edit15Z = nullptr;
    QSpinBox* SpinEdit10Z = nullptr;
    QCheckBox* CheckBox3Z = nullptr;
    QPushButton* BitBtn5Z = nullptr;
    QPushButton* BitBtn1Z = nullptr;
    QPushButton* BitBtn2Z = nullptr;
    QPushButton* BitBtn3Z = nullptr;
    QPushButton* BitBtn4Z = nullptr;
    // Right column.
    QFrame* Panel3 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* BitBtn7 = nullptr;   // "Сохранить"
    QPushButton* BitBtn6 = nullptr;   // "Открыть"
    QPushButton* BitBtn8 = nullptr;   // "Стереть"
    QPushButton* BitBtn9 = nullptr;   // "Печать"
    QPushButton* BitBtn10 = nullptr;  // "Оформить"
    QPushButton* BitBtn11 = nullptr;  // "Нормы"
    QPushButton* BitBtn12 = nullptr;  // "Опции"
    QListWidget* ListBox1 = nullptr;
    // Menus.
    QMenu* N1 = nullptr;     // "Файл"
    QMenu* N22 = nullptr;    // "Вид"
    QMenu* N2 = nullptr;     // "Действия"
    QMenu* N3 = nullptr;     // "Помощь"
    QAction* N8 = nullptr;   // "Связь", F12
    QAction* N9 = nullptr;   // "Своб.ускорение", F6
    QAction* N10 = nullptr;  // "Макс.обороты", F7
    QAction* N28 = nullptr;  // "Устан.нуля", F8
    QAction* N32 = nullptr;  // "Стереть результ."
    QAction* N23 = nullptr;  // "Таблица", F2
    QAction* N24 = nullptr;  // "График", F3
    QAction* N25 = nullptr;  // "Отчет", F4
    QAction* N36 = nullptr;  // "Запись"
    QAction* N21 = nullptr;  // "Выход"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (main_window_build.cpp).
    void BuildWindow();
    void BuildBars(QWidget* client);
    void BuildLiveValues(QWidget* client);
    void BuildChartArea(QWidget* client);
    void BuildRecordingGroup(QWidget* client);
    void BuildRightColumn(QWidget* client);
    void BuildMenus();

    // Start and close (main_window.cpp).
    void FormCreate();
    void SetUpToolTips();
    void RestoreWindowGeometry();
    void FormShow();
    void ApplySettings();
    bool SaveSettings();
    void FormCloseQuery();
    void BitBtn1Click();
    void ConnectCommands();
    void ApplyChartOptions();
    void RefreshBarChart(const LiveTexts& texts);

    // Layout (main_window_layout.cpp).
    void LayoutMainWindow();
    int BoxHeightFor(int points) const;

    // PollHost
    void SetPollTimerEnabled(bool enabled) override;
    void StartDelayTimer() override;
    void ShowPortLine(const QString& text) override;
    void ShowStatusLine(const QString& text) override;
    void SetStatusLineRed(bool red) override;
    void SetGauge(int value) override;
    void Notify(const QString& text) override;
    void RefreshReadings() override;

    // ResultsHost
    bool AskStopRecording() override;
    void ShowChartView() override;
    void RefreshChartHeader() override;
    void ComposeReport() override;
    void ResetDecision() override;

    QString programDir_;
    std::unique_ptr<WidgetMessageBoxes> ownMessages_;
    MessageBoxes* messages_;
    std::optional<QSize> workArea_;

    // The device link's records, owned here for the whole run.
    DeviceReadings readings_;
    PollControl control_;
    TProtokol protokol_;
    std::unique_ptr<SerialLink> serial_;
    PollLoop poll_;
    QTimer Timer2;    // the 20 ms poll tick
    QTimer TimerZad;  // the 650 ms delay before the next port of a search
    QTimer TimerZap;  // the recording timer

    AppSettings settings_;
    StationInfo station_;
    ReportHeader reportHeader_;
    TestResults results_;
    QChar separator_;  // the locale's decimal separator
    MeasurementChartView chart3View_;
    MeasurementSeries series_;

    // Start folders and file-type indexes of the file dialogs.
    struct DialogState {
        QString graphDir, textDir, outputDir;
        int graphSaveFilter = 0;
        int graphOpenFilter = 0;
    } dialogs_;

    QChart* chart4_ = nullptr;
    QBarSet* chart4Placeholder_ = nullptr;
    QBarSet* chart4Value_ = nullptr;
    QGraphicsSimpleTextItem* chart4Foot_ = nullptr;
    QValueAxis* chart4Left_ = nullptr;
    QValueAxis* chart4Right_ = nullptr;
    QLineEdit* boxProbe_ = nullptr;  // measures the height of a box for a font size
    QWidget* client_ = nullptr;
    MainWindowLayout layout_;
    bool shown_ = false;
    bool closed_ = false;
};

}  // namespace kelvaron
