#pragma once
// The journal window "Журнал": the entries newest first, filtered by a period
// and a fragment of the number, this lane's or all lanes' on a shared server;
// an entry opens with its report and its chart, and a selection is exported as
// a CSV file. Nothing here writes an entry (opening a journal not yet made
// makes its empty tables).
#include "base/interaction.h"
#include "journal/journal_settings.h"
#include "journal/journal_store.h"
#include "journal/view/journal_model.h"
#include "results/view/measurement_chart_view.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace kelvaron {

class ReportView;

// One entry, read-only: its report and its chart, with the buttons the window
// wires to the program's report and chart commands.
class JournalEntryDialog final : public QDialog {
    Q_OBJECT

public:
    explicit JournalEntryDialog(QWidget* parent);
    ~JournalEntryDialog() override;

    void Show(const JournalEntry& entry);
    const JournalEntry& Entry() const { return entry_; }
    MeasurementChartView& Chart() { return chart_; }

    QTabWidget* pages = nullptr;
    ReportView* reportView = nullptr;
    QChartView* chartView = nullptr;
    QPushButton* saveReportButton = nullptr;   // "Сохранить отчет"
    QPushButton* printReportButton = nullptr;  // "Печать отчета"
    QPushButton* saveChartButton = nullptr;    // "Сохранить график"
    QPushButton* printChartButton = nullptr;   // "Печать графика"
    QPushButton* closeButton = nullptr;        // "Закрыть"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MeasurementChartView chart_;
    JournalEntry entry_;
};

class JournalWindow final : public QDialog {
    Q_OBJECT

public:
    // `sharedReachable` tells whether the shared server answered last: only then is
    // it asked for all lanes, so that an absent server never holds the window.
    static constexpr int kTypingPauseMs = 300;

    JournalWindow(JournalSettings settings, std::function<bool()> sharedReachable,
                  Interaction& interaction, QWidget* parent);
    ~JournalWindow() override;

    // Reads the journal afresh with the filter shown.
    void Refresh();
    // Opens the entry of the current row.
    void OpenCurrent();
    // The selected rows to a CSV file the operator names.
    void ExportSelection();

    JournalModel& Model() { return model_; }
    JournalEntryDialog& EntryDialog() const { return *entryDialog_; }

    QCheckBox* periodBox = nullptr;  // "Период:"
    QDateEdit* fromDate = nullptr;
    QDateEdit* toDate = nullptr;
    QLineEdit* numberField = nullptr;
    QComboBox* laneChoice = nullptr;  // "Эта линия", "Все линии"
    QTableView* table = nullptr;
    QLabel* countLabel = nullptr;
    QPushButton* openButton = nullptr;    // "Открыть"
    QPushButton* exportButton = nullptr;  // "Экспорт"
    QPushButton* closeButton = nullptr;   // "Закрыть"

protected:
    void showEvent(QShowEvent* event) override;

private:
    JournalFilter Filter() const;
    JournalStore* Store(QString& note);

    JournalSettings settings_;
    std::function<bool()> sharedReachable_;
    Interaction& interaction_;
    JournalModel model_;
    std::unique_ptr<JournalStore> local_;
    std::unique_ptr<JournalStore> shared_;
    JournalStore* shown_ = nullptr;  // the store the table reads
    JournalEntryDialog* entryDialog_ = nullptr;
    QTimer* typingPause_ = nullptr;
    QString exportFolder_;
};

}  // namespace kelvaron
