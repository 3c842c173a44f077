// The journal's window and its state, wired to the main window.
#include "app/journal_commands.h"

#include "base/colors.h"
#include "journal/view/journal_window.h"
#include "report/view/report_view.h"

#include <QChartView>
#include <QPushButton>
#include <QTabWidget>

namespace kelvaron {

JournalCommands::JournalCommands(const QString& folder, const AppSettings& settings,
                                 Interaction& interaction, const Clock& clock, QWidget* window)
    : settings_(settings),
      interaction_(interaction),
      parent_(window),
      journal_(ReadJournalSettings(folder)),
      follower_(journal_, QStringLiteral(KELVARON_VERSION)),
      entryFiles_(interaction, clock, entryHeader_, folder) {
    connect(&journal_, &Journal::stateChanged, this, &JournalCommands::StateChanged);
}

JournalCommands::~JournalCommands() = default;

void JournalCommands::StateChanged(const JournalState& state) {
    QString line = JournalStateLine(journal_.Settings(), state);
    // The count that stood on the status line is taken back once the server has all.
    if (line.isEmpty() && waitingShown_ > 0 && state.waiting == 0)
        line = QStringLiteral("Журнал: все записи на сервере");
    waitingShown_ = state.waiting;
    emit statusLine(line);
    // Where there is no journal, or an entry could not be written, the operator
    // hears it once; the program works on.
    const QString problem = state.readOnly ? QString() : state.problem;
    if (!problem.isEmpty() && problem != problemTold_)
        interaction_.Notice(JournalStateLine(journal_.Settings(), state));
    problemTold_ = problem;
}

void JournalCommands::ShowWindow() {
    if (!window_) {
        window_ = new JournalWindow(
            journal_.Settings(), [this] { return journal_.State().sharedReachable; }, interaction_,
            parent_);
        window_->resize(parent_->size() * 9 / 10);
        ConnectEntryCommands();
    }
    JournalEntryDialog& dialog = window_->EntryDialog();
    dialog.Chart().SetBackground(ColorFromRef(settings_.chartBackColor()));
    dialog.Chart().SetLineWidth(settings_.lineWidth());
    if (window_->isVisible()) window_->Refresh();  // F9 again: what came since
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void JournalCommands::ConnectEntryCommands() {
    JournalEntryDialog& dialog = window_->EntryDialog();
    const auto showPage = [&dialog](QWidget* page) {
        dialog.pages->setCurrentWidget(page);
        return dialog.Entry();
    };
    connect(dialog.saveReportButton, &QPushButton::clicked, this, [=, this, &dialog] {
        entryHeader_ = showPage(dialog.reportView).header;
        entryFiles_.SaveReport(dialog.Entry().report);
    });
    connect(dialog.printReportButton, &QPushButton::clicked, this, [=, this, &dialog] {
        entryHeader_ = showPage(dialog.reportView).header;
        entryFiles_.PrintReport(dialog.Entry().report);
    });
    connect(dialog.saveChartButton, &QPushButton::clicked, this, [=, this, &dialog] {
        entryHeader_ = showPage(dialog.chartView).header;
        entryFiles_.SaveChart(*dialog.chartView);
    });
    connect(dialog.printChartButton, &QPushButton::clicked, this, [=, this, &dialog] {
        entryHeader_ = showPage(dialog.chartView).header;
        entryFiles_.PrintChart(*dialog.chartView, [this, &dialog](bool white) {
            dialog.Chart().SetBackground(white ? QColor(Qt::white)
                                               : ColorFromRef(settings_.chartBackColor()));
            dialog.Chart().SetFootStripOnPaper(white);
        });
    });
}

}  // namespace kelvaron
