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

    hintLabel =
        new QLabel(QStringLiteral("Выделите одну из строк или наберите текст в окне."), this);
    hintLabel->setObjectName(QStringLiteral("Label1"));
    normsList = new QListWidget(this);
    normsList->setObjectName(QStringLiteral("ListBox1"));
    normsList->setAccessibleName(QStringLiteral("Нормы"));
    normsList->setSelectionMode(QAbstractItemView::SingleSelection);
    normsList->setFont(ReportFont(10));
    const QFontMetrics metrics(normsList->font());
    normsList->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('W')) * 44,
                              metrics.lineSpacing() * 8);
    setLabel = new QLabel(QStringLiteral("Набор:"), this);
    setLabel->setObjectName(QStringLiteral("Label2"));
    normField = new QLineEdit(this);
    normField->setObjectName(QStringLiteral("Edit1"));
    normField->setAccessibleName(QStringLiteral("Набор:"));
    normField->setFont(ReportFont(10));
    normField->setValidator(new Cp1251Validator(normField));  // the norms file and the report
    setLabel->setBuddy(normField);

    okButton = new QPushButton(QStringLiteral("ОК"), this);
    cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    addButton = new QPushButton(QStringLiteral("Добавить"), this);
    editNormsButton = new QPushButton(QStringLiteral("Редактировать нормы"), this);
    const char* names[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4"};
    int i = 0;
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {okButton, cancelButton, addButton, editNormsButton}) {
        b->setObjectName(QString::fromLatin1(names[i++]));
        MakeFocusOnlyButton(b, this);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    // Enter in the list or in "Набор:" confirms; on a focused button it presses that one.
    okButton->setDefault(true);

    auto* typed = new QHBoxLayout;
    typed->addWidget(setLabel);
    typed->addWidget(normField, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(hintLabel);
    column->addWidget(normsList, 1);
    column->addLayout(typed);
    column->addLayout(buttons);

    setTabOrder(normsList, normField);
    setTabOrder(normField, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, addButton);
    setTabOrder(addButton, editNormsButton);

    // Choosing an entry, by mouse or arrow keys, copies it into "Набор:"; a click
    // on the entry already chosen copies it again over what was typed.
    const auto copyEntry = [this](int row) {
        if (row >= 0 && row < norms_.size()) normField->setText(norms_[row]);
    };
    connect(normsList, &QListWidget::currentRowChanged, this, copyEntry);
    connect(normsList, &QListWidget::itemClicked, this,
            [this, copyEntry](QListWidgetItem* item) { copyEntry(normsList->row(item)); });
    connect(okButton, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(addButton, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(editNormsButton, &QPushButton::clicked, this, [this] { done(EditNorms); });
}

void TForm3::LoadList() {
    normsSource_ = LoadNormsList(normsPath_, norms_);
    ShowList();
}

void TForm3::ShowList() {
    const QSignalBlocker quiet(normsList);
    normsList->clear();
    for (const QString& entry : norms_) normsList->addItem(Shown(entry));
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
        normsList->setCurrentRow(index);
    }
    normField->setText(normText_);
    normsList->setFocus();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (PressFocusedButtonOnEnter(watched, event)) return true;
    return QDialog::eventFilter(watched, event);
}

void TForm3::BitBtn1Click() {
    const int selected = normsList->currentRow();
    if (selected >= 0) settings_.setNormIndex(selected);
    normText_ = ConfirmedNormText(normField->text(), norms_, selected, normText_);
    accept();
}

void TForm3::BitBtn3Click() {
    const std::optional<int> added = AddNorm(normsPath_, norms_, normField->text(), normsSource_);
    if (!added) return;
    normsList->addItem(Shown(norms_.last()));
    normsList->setCurrentRow(*added);
}

}  // namespace kelvaron
