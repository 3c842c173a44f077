// The journal window and the entry it opens.
#include "journal/view/journal_window.h"

#include "base/locale_formats.h"
#include "base/safe_file.h"
#include "base/view/widget_kit.h"
#include "report/report_header.h"
#include "report/view/report_view.h"
#include "results/chart_record.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvaron {

namespace {

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char(':')).remove(QLatin1Char('&')));
    return label;
}

QDateEdit* MakeDateEdit(QWidget* parent, const char* name, const QDate& date) {
    auto* edit = Named(new QDateEdit(date, parent), name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

}  // namespace

// ---- One entry ----

JournalEntryDialog::JournalEntryDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("JournalEntryDialog");
    setWindowTitle(QStringLiteral("Запись журнала"));
    pages = Named(new QTabWidget(this), "entryPages");
    reportView = new ReportView(pages);
    reportView->setObjectName("entryReport");
    pages->addTab(reportView, QStringLiteral("Отчет"));
    chartView = Named(new QChartView(chart_.Chart(), pages), "entryChart");
    chartView->setFrameShape(QFrame::NoFrame);
    chartView->installEventFilter(this);
    pages->addTab(chartView, QStringLiteral("График"));
    SetMeasurementColors(chart_);
    chart_.SetFonts(11, 9, 8, 8);
    chart_.SetLegendVisible(true);

    saveReportButton = MakeButton(this, "entrySaveReport", QStringLiteral("Сохранить отчет"));
    printReportButton = MakeButton(this, "entryPrintReport", QStringLiteral("Печать отчета"));
    saveChartButton = MakeButton(this, "entrySaveChart", QStringLiteral("Сохранить график"));
    printChartButton = MakeButton(this, "entryPrintChart", QStringLiteral("Печать графика"));
    closeButton = MakeButton(this, "entryClose", QStringLiteral("Закрыть"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {saveReportButton, printReportButton, saveChartButton, printChartButton})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
}

JournalEntryDialog::~JournalEntryDialog() = default;

bool JournalEntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chartView && event->type() == QEvent::Resize) chart_.Resize(chartView->size());
    return QDialog::eventFilter(watched, event);
}

void JournalEntryDialog::Show(const JournalEntry& entry) {
    entry_ = entry;
    setWindowTitle(QStringLiteral("Запись журнала: %1 %2 %3")
                       .arg(entry.header.vehicleNumber.left(40), ShortDate(entry.moment.date()),
                            LongTime(entry.moment.time())));
    reportView->SetLines(entry.report);
    chart_.SetVerticalMaximum(entry.plotsN ? 100 : 10);
    chart_.SetTitle(entry.stationLine1, VehicleTitle(entry.header, ShortDate(entry.moment.date())));
    DrawChartRecord(entry.chart, chart_);
}

// ---- The journal ----

JournalWindow::JournalWindow(JournalSettings settings, std::function<bool()> sharedReachable,
                             Interaction& interaction, QWidget* parent)
    : QDialog(parent),
      settings_(std::move(settings)),
      sharedReachable_(std::move(sharedReachable)),
      interaction_(interaction) {
    setObjectName("JournalWindow");
    setWindowTitle(QStringLiteral("Журнал"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    const QDate today = QDate::currentDate();
    periodBox = Named(new QCheckBox(QStringLiteral("Период:"), this), "journalPeriod");
    fromDate = MakeDateEdit(this, "journalFrom", today.addMonths(-1));
    toDate = MakeDateEdit(this, "journalTo", today);
    fromDate->setEnabled(false);
    toDate->setEnabled(false);
    numberField = Named(new QLineEdit(this), "journalNumber");
    numberField->setClearButtonEnabled(true);
    laneChoice = Named(new QComboBox(this), "journalLanes");
    laneChoice->addItems({QStringLiteral("Эта линия"), QStringLiteral("Все линии")});
    laneChoice->setAccessibleName(QStringLiteral("Линии"));
    laneChoice->setVisible(settings_.shared);

    auto* filters = new QHBoxLayout;
    filters->addWidget(periodBox);
    filters->addWidget(fromDate);
    filters->addWidget(BuddyLabel(QStringLiteral("по"), toDate, this));
    filters->addWidget(toDate);
    filters->addSpacing(12);
    filters->addWidget(BuddyLabel(QStringLiteral("&Номер:"), numberField, this));
    filters->addWidget(numberField, 1);
    filters->addWidget(laneChoice);

    table = Named(new QTableView(this), "journalTable");
    table->setModel(&model_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);

    countLabel = Named(new QLabel(this), "journalCount");
    openButton = MakeButton(this, "journalOpen", QStringLiteral("Открыть"));
    exportButton = MakeButton(this, "journalExport", QStringLiteral("Экспорт"),
                              QStringLiteral("Выделенные записи в файл CSV"));
    closeButton = MakeButton(this, "journalClose", QStringLiteral("Закрыть"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(countLabel, 1);
    buttons->addWidget(openButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);

    entryDialog_ = new JournalEntryDialog(this);

    connect(periodBox, &QCheckBox::toggled, this, [this](bool on) {
        fromDate->setEnabled(on);
        toDate->setEnabled(on);
        Refresh();
    });
    connect(fromDate, &QDateEdit::dateChanged, this, [this] { Refresh(); });
    connect(toDate, &QDateEdit::dateChanged, this, [this] { Refresh(); });
    // The number is looked for once typing pauses, not at every key: a fragment
    // is looked for in every entry of the journal.
    typingPause_ = new QTimer(this);
    typingPause_->setSingleShot(true);
    typingPause_->setInterval(kTypingPauseMs);
    connect(typingPause_, &QTimer::timeout, this, [this] { Refresh(); });
    connect(numberField, &QLineEdit::textChanged, typingPause_, qOverload<>(&QTimer::start));
    connect(laneChoice, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(table, &QTableView::doubleClicked, this, [this] { OpenCurrent(); });
    connect(openButton, &QPushButton::clicked, this, [this] { OpenCurrent(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportSelection(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

JournalWindow::~JournalWindow() { model_.Show(nullptr, {}); }

void JournalWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A program runs for days: the period ends today unless the operator set it.
    if (!periodBox->isChecked()) {
        const QSignalBlocker quiet(toDate);
        toDate->setDate(QDate::currentDate());
    }
    Refresh();
    // The columns as wide as the newest entries need; the filters keep them so.
    table->resizeColumnsToContents();
}

JournalFilter JournalWindow::Filter() const {
    JournalFilter filter;
    if (periodBox->isChecked()) {
        filter.from = std::min(fromDate->date(), toDate->date());
        filter.to = std::max(fromDate->date(), toDate->date());
    }
    filter.numberFragment = numberField->text();
    // This lane's entries are in the program's own file; a shared server holds all.
    if (settings_.shared && laneChoice->currentIndex() == 0) filter.lane = settings_.lane;
    return filter;
}

JournalStore* JournalWindow::Store(QString& note) {
    if (settings_.shared && laneChoice->currentIndex() == 1) {
        if (sharedReachable_()) {
            if (!shared_ || !shared_->Answers())
                shared_ = JournalStore::OpenShared(settings_.service);
            if (shared_->IsOpen()) return shared_.get();
        }
        shared_.reset();
        note = QStringLiteral("Сервер журнала недоступен: показаны записи этой линии. ");
    }
    if (!local_ || !local_->IsOpen())
        local_ = JournalStore::OpenLocal(settings_.localPath, JournalStore::Check::None);
    if (!local_->IsOpen()) {
        note = QStringLiteral("Журнал не читается: ") + local_->Problem();
        return nullptr;
    }
    return local_.get();
}

void JournalWindow::Refresh() {
    QString note;
    shown_ = Store(note);
    JournalFilter filter = Filter();
    if (shown_ == local_.get()) filter.lane = settings_.shared ? settings_.lane : QString();
    model_.Show(shown_, filter);
    countLabel->setText(shown_ ? note + QStringLiteral("Записей: %1").arg(model_.Total()) : note);
    openButton->setEnabled(model_.Total() > 0);
    exportButton->setEnabled(model_.Total() > 0);
}

void JournalWindow::OpenCurrent() {
    const QModelIndex current = table->currentIndex();
    if (!shown_ || !current.isValid()) return;
    const std::optional<JournalEntry> entry = shown_->Load(model_.Entry(current.row()).id);
    if (!entry) {
        interaction_.Notice(QStringLiteral("Запись журнала не читается"));
        return;
    }
    entryDialog_->Show(*entry);
    entryDialog_->resize(size());
    entryDialog_->show();
    entryDialog_->raise();
}

void JournalWindow::ExportSelection() {
    QModelIndexList rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        interaction_.Notice(QStringLiteral("Выделите записи для экспорта"));
        return;
    }
    // Every row selected stands for every entry the filter finds, read or not yet.
    if (rows.size() == model_.rowCount() && model_.canFetchMore({})) {
        while (model_.canFetchMore({})) model_.fetchMore({});
        table->selectAll();
        rows = table->selectionModel()->selectedRows();
    }
    std::sort(rows.begin(), rows.end());
    QList<EntrySummary> entries;
    for (const QModelIndex& row : rows) entries << model_.Entry(row.row());
    FileDialog dialog;
    dialog.title = QStringLiteral("Экспорт журнала");
    dialog.types = {QStringLiteral("Файлы CSV (*.csv)")};
    dialog.typeSuffixes = {QStringLiteral("csv")};
    dialog.folder = exportFolder_.isEmpty() ? QDir::homePath() : exportFolder_;
    dialog.suggestedName = QStringLiteral("Журнал %1").arg(ShortDate(QDate::currentDate()));
    dialog.askOverwrite = true;
    const std::optional<FileChoice> choice = interaction_.SaveFile(dialog);
    if (!choice) return;
    QString path = choice->path;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    exportFolder_ = QFileInfo(path).absolutePath();
    if (!SaveFileAtomically(path, JournalCsv(entries)))
        interaction_.Notice(QStringLiteral("Не удалось записать ") + path);
}

}  // namespace kelvaron
