#include "report/view/norms_dialog.h"

#include "base/code_page_validator.h"
#include "report/norms_list.h"
#include "report/report_font.h"
#include "report/view/dialog_keys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

// An entry is shown in the list up to this many characters, then "…". A norm is
// one short line; laying out a line of megabytes (a damaged or binary file)
// held the dialog for seconds before it opened. The entry itself stays whole:
// choosing it copies all of it into "Набор:".
constexpr qsizetype kShownChars = 1000;

QString Shown(const QString& entry) {
    return entry.size() <= kShownChars ? entry : entry.left(kShownChars) + QChar(0x2026);
}

}  // namespace

TForm3::TForm3(QString normsPath, AppSettings& settings, QWidget* parent)
    : QDialog(parent), normsPath_(std::move(normsPath)), settings_(settings) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Нормы"));

    Label1 = new QLabel(QStringLiteral("Выделите одну из строк или наберите текст в окне."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Нормы"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setFont(ReportFont(10));
    const QFontMetrics metrics(ListBox1->font());
    ListBox1->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('W')) * 44,
                             metrics.lineSpacing() * 8);
    Label2 = new QLabel(QStringLiteral("Набор:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Набор:"));
    Edit1->setFont(ReportFont(10));
    Edit1->setValidator(new Cp1251Validator(Edit1));  // the norms file and the report
    Label2->setBuddy(Edit1);

    BitBtn1 = new QPushButton(QStringLiteral("ОК"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Добавить"), this);
    BitBtn4 = new QPushButton(QStringLiteral("Редактировать нормы"), this);
    const char* names[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4"};
    int i = 0;
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4}) {
        b->setObjectName(QString::fromLatin1(names[i++]));
        MakeFocusOnlyButton(b, this);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    // Enter in the list or in "Набор:" confirms; on a focused button it presses that one.
    BitBtn1->setDefault(true);

    auto* typed = new QHBoxLayout;
    typed->addWidget(Label2);
    typed->addWidget(Edit1, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1);
    column->addWidget(ListBox1, 1);
    column->addLayout(typed);
    column->addLayout(buttons);

    setTabOrder(ListBox1, Edit1);
    setTabOrder(Edit1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);

    // Choosing an entry, by mouse or arrow keys, copies it into "Набор:"; a click
    // on the entry already chosen copies it again over what was typed.
    const auto copyEntry = [this](int row) {
        if (row >= 0 && row < norms_.size()) Edit1->setText(norms_[row]);
    };
    connect(ListBox1, &QListWidget::currentRowChanged, this, copyEntry);
    connect(ListBox1, &QListWidget::itemClicked, this,
            [this, copyEntry](QListWidgetItem* item) { copyEntry(ListBox1->row(item)); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { done(EditNorms); });
}

void TForm3::LoadList() {
    normsSource_ = LoadNormsList(normsPath_, norms_);
    ShowList();
}

void TForm3::ShowList() {
    const QSignalBlocker quiet(ListBox1);
    ListBox1->clear();
    for (const QString& entry : norms_) ListBox1->addItem(Shown(entry));
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm3::FormShow() {
    LoadList();
    const int index = StoredNormIndex(norms_, settings_.normIndex());
    if (index >= 0) {
        settings_.setNormIndex(index);
        ListBox1->setCurrentRow(index);
    }
    Edit1->setText(normText_);
    ListBox1->setFocus();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (PressFocusedButtonOnEnter(watched, event)) return true;
    return QDialog::eventFilter(watched, event);
}

void TForm3::BitBtn1Click() {
    const int selected = ListBox1->currentRow();
    if (selected >= 0) settings_.setNormIndex(selected);
    normText_ = ConfirmedNormText(Edit1->text(), norms_, selected, normText_);
    accept();
}

void TForm3::BitBtn3Click() {
    const std::optional<int> added = AddNorm(normsPath_, norms_, Edit1->text(), normsSource_);
    if (!added) return;
    ListBox1->addItem(Shown(norms_.last()));
    ListBox1->setCurrentRow(*added);
}

}  // namespace kelvaron
