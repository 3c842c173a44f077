#include "report/view/report_header_dialog.h"

#include "base/code_page_validator.h"
#include "base/locale_formats.h"
#include "report/report_font.h"
#include "report/view/dialog_keys.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

const QString kNoDecision = QStringLiteral("________");  // stored for the list's first line

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A single-line entry field in the bold fixed-pitch font, wide enough for `chars`.
QLineEdit* MakeField(QWidget* parent, const char* name, int chars, const QString& caption) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFont(ReportFont(10));
    edit->setMaxLength(chars);
    edit->setValidator(new Cp1251Validator(edit));  // the report and the station file
    edit->setAccessibleName(caption.simplified());
    const QFontMetrics metrics(edit->font());
    edit->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('W')) * (chars + 1) + 12);
    return edit;
}

QPushButton* MakeDialogButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

TForm2::TForm2(ReportHeader& header, StationInfo& station, const Clock& clock,
               const QLocale& locale, QWidget* parent)
    : QDialog(parent), header_(header), station_(station), clock_(clock), locale_(locale) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Оформление данных"));
    BuildWidgets();
}

QStringList TForm2::DecisionTexts() {
    return {QString(12, QLatin1Char('_')), QStringLiteral("ГОДЕН"), QStringLiteral("НЕ ГОДЕН"),
            QStringLiteral("НА ДОРАБОТКУ")};
}

void TForm2::BuildWidgets() {
    const QString station1Caption = QStringLiteral("(#1)");
    const QString station2Caption = QStringLiteral("(#2)");
    const QString numberCaption = QStringLiteral("№ автомобиля:         (#3)");
    const QString vinCaption = QStringLiteral("    VIN :                           (#B)");
    const QString makeCaption = QStringLiteral("Марка:                           (#4)");
    const QString ownerCaption = QStringLiteral("Владелец:                   (#5)");
    const QString extraCaption = QStringLiteral("Дополнительно:       (#6)");
    const QString decisionCaption = QStringLiteral("Решение:    (#9)");

    auto* organisation = MakeLabel(this, "Label1", QStringLiteral("Организация:"));
    auto* label2 = MakeLabel(this, "Label2", station1Caption);
    auto* label3 = MakeLabel(this, "Label3", station2Caption);
    stationLine1Field = MakeField(this, "Edit3", StationInfo::kMaxChars,
                                  QStringLiteral("Организация: ") + station1Caption);
    stationLine2Field = MakeField(this, "Edit4", StationInfo::kMaxChars,
                                  QStringLiteral("Организация: ") + station2Caption);

    auto* label4 = MakeLabel(this, "Label4", numberCaption);
    auto* label5 = MakeLabel(this, "Label5", vinCaption);
    auto* label6 = MakeLabel(this, "Label6", makeCaption);
    auto* label7 = MakeLabel(this, "Label7", ownerCaption);
    auto* label8 = MakeLabel(this, "Label8", extraCaption);
    numberField = MakeField(this, "Edit1", kFieldChars, numberCaption);
    vinField = MakeField(this, "Edit9", kVinChars, vinCaption);
    makeField = MakeField(this, "Edit6", kFieldChars, makeCaption);
    ownerField = MakeField(this, "Edit2", kFieldChars, ownerCaption);
    additionalField = MakeField(this, "Edit7", kFieldChars, extraCaption);

    auto* label9 = MakeLabel(this, "Label9", QStringLiteral("Дата:  (#7)"));
    auto* label11 = MakeLabel(this, "Label11", QStringLiteral("Время: (#8)"));
    dateLabel = MakeLabel(this, "Label10", QString());
    timeLabel = MakeLabel(this, "Label12", QString());

    auto* label13 = MakeLabel(this, "Label13", decisionCaption);
    decisionList = new QListWidget(this);
    decisionList->setObjectName(QStringLiteral("ListBox1"));
    decisionList->setAccessibleName(decisionCaption.simplified());
    decisionList->setFont(ReportFont(10));
    decisionList->addItems(DecisionTexts());
    decisionList->setSelectionMode(QAbstractItemView::SingleSelection);
    decisionList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    decisionList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    decisionList->setFixedHeight(decisionList->sizeHintForRow(0) * decisionList->count() +
                                 2 * decisionList->frameWidth() + 2);

    auto* label14 = MakeLabel(
        this, "Label14",
        QStringLiteral("Св.ускор.: (#0) ;   Результ.: (1#F...6#F);   Макс.обор.: (#A)  ;  "
                       "Нормы:  (#C)"));

    okButton = MakeDialogButton(this, "BitBtn1", QStringLiteral("ОК"));
    cancelButton = MakeDialogButton(this, "BitBtn2", QStringLiteral("Отмена"));
    changeStationButton = MakeDialogButton(this, "BitBtn3", QStringLiteral("Изменить"));
    editTemplateButton = MakeDialogButton(this, "BitBtn4", QStringLiteral("Редактировать шаблон"));

    auto* grid = new QGridLayout;
    grid->addWidget(organisation, 0, 0, 1, 4);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(stationLine1Field, 1, 1, 1, 3);
    grid->addWidget(label3, 2, 0);
    grid->addWidget(stationLine2Field, 2, 1, 1, 3);
    grid->addWidget(label4, 3, 0);
    grid->addWidget(numberField, 3, 1);
    grid->addWidget(label5, 3, 2);
    grid->addWidget(vinField, 3, 3);
    grid->addWidget(label6, 4, 0);
    grid->addWidget(makeField, 4, 1);
    grid->addWidget(label7, 4, 2);
    grid->addWidget(ownerField, 4, 3);
    grid->addWidget(label8, 5, 0);
    grid->addWidget(additionalField, 5, 1);
    grid->addWidget(label13, 5, 2, Qt::AlignTop);
    grid->addWidget(decisionList, 5, 3, 3, 1);
    grid->addWidget(label9, 6, 0);
    grid->addWidget(dateLabel, 6, 1);
    grid->addWidget(label11, 7, 0);
    grid->addWidget(timeLabel, 7, 1);
    grid->addWidget(label14, 8, 0, 1, 4);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {okButton, cancelButton, changeStationButton, editTemplateButton}) {
        MakeFocusOnlyButton(b, this);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: number, VIN, make, owner, additional text, decision, the buttons,
    // the station lines (while unlocked) and the template button last.
    const QList<QWidget*> order = {numberField,       vinField,          makeField,
                                   ownerField,        additionalField,   decisionList,
                                   okButton,          cancelButton,      changeStationButton,
                                   stationLine1Field, stationLine2Field, editTemplateButton};
    for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    // Enter chains: number → make → owner → additional → decision → "ОК";
    // VIN → decision; station line 1 → station line 2 → "ОК".
    enterNext_ = {{numberField, makeField},
                  {makeField, ownerField},
                  {ownerField, additionalField},
                  {additionalField, decisionList},
                  {vinField, decisionList},
                  {decisionList, okButton},
                  {stationLine1Field, stationLine2Field},
                  {stationLine2Field, okButton}};
    for (auto it = enterNext_.cbegin(); it != enterNext_.cend(); ++it)
        it.key()->installEventFilter(this);

    connect(okButton, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(changeStationButton, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(editTemplateButton, &QPushButton::clicked, this, [this] { done(EditTemplate); });
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    decisionList->setCurrentRow(0);  // whatever the stored decision
    numberField->setText(header_.vehicleNumber);
    ownerField->setText(header_.owner);
    makeField->setText(header_.make);
    additionalField->setText(header_.extra);
    vinField->setText(header_.vin);
    stationLine1Field->setText(station_.line1);
    stationLine2Field->setText(station_.line2);
    stationLine1Field->setEnabled(false);
    stationLine2Field->setEnabled(false);
    const QDateTime now = clock_.Now();
    dateLabel->setText(ShortDate(now.date(), locale_));
    timeLabel->setText(LongTime(now.time(), locale_));
    enterPressedIn_ = nullptr;
    numberField->setFocus();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterKey(event)) {
        if (event->type() == QEvent::KeyPress) {
            enterPressedIn_ = watched;
            if (PressFocusedButtonOnEnter(watched, event)) return true;
        } else if (enterPressedIn_ == watched && enterNext_.contains(watched)) {
            enterPressedIn_ = nullptr;
            enterNext_.value(watched)->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::BitBtn3Click() {
    stationLine1Field->setEnabled(true);
    stationLine2Field->setEnabled(true);
    station_.changed = true;
    stationLine1Field->setFocus(Qt::OtherFocusReason);
}

void TForm2::BitBtn1Click() {
    // The vehicle fields as typed; the chart title's refresh trims some of them.
    header_.vehicleNumber = numberField->text();
    header_.owner = ownerField->text();
    header_.make = makeField->text();
    header_.extra = additionalField->text();
    header_.vin = vinField->text();
    if (stationLine1Field->isEnabled()) {
        station_.changed = true;
        station_.line1 = stationLine1Field->text().left(StationInfo::kMaxChars);
        station_.line2 = stationLine2Field->text().left(StationInfo::kMaxChars);
    }
    const QListWidgetItem* chosen = decisionList->currentItem();
    if (chosen && chosen->isSelected()) {
        const int row = decisionList->row(chosen);
        header_.decision = row == 0 ? kNoDecision : chosen->text();
    }
    accept();
}

}  // namespace kelvaron
