#include "app/options_dialog.h"

#include "base/colors.h"
#include "base/view/widget_kit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

constexpr int kClientWidth = 546;
constexpr int kClientHeight = 371;

// The rows of "Прочее" as the operator sees them, top to bottom (ColorRow order).
struct RowText {
    const char* label;
    const char* labelName;
    const char* textButton;
    const char* sample;
    const char* sampleText;
    const char* backButton;
};
const RowText kRowTexts[kColorRows] = {
    {"Цвет К ,м-1", "Label9", "Button9", "Edit9", "   Аб", "Button10"},
    {"Цвет N , %", "Label13", "Button17", "Edit13", "   Вг", "Button18"},
    {"Цвет F,об/мин", "Label10", "Button11", "Edit10", "   Де", "Button12"},
    {"Цвет Tмас,град", "Label11", "Button13", "Edit11", "   Жз", "Button14"},
    {"Цвет обозн.", "Label12", "Button15", "Edit12", "   Ик", "Button16"},
};

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text) {
    return Named(new QCheckBox(text, parent), name);
}

// A titled group of radio buttons standing for one choice; the item index is
// the button's id in `group`.
QGroupBox* MakeRadioGroup(QWidget* parent, const char* name, const QString& title,
                          const QStringList& items, QButtonGroup*& group,
                          std::array<QRadioButton*, 2>& buttons) {
    auto* box = Named(new QGroupBox(title, parent), name);
    group = new QButtonGroup(box);
    auto* column = new QVBoxLayout(box);
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
        auto* button = new QRadioButton(items[i], box);
        button->setObjectName(QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i));
        group->addButton(button, i);
        column->addWidget(button);
        buttons[static_cast<size_t>(i)] = button;
    }
    column->addStretch();
    return box;
}

QLineEdit* MakeSample(QWidget* parent, const char* name, const QString& text) {
    auto* sample = Named(new QLineEdit(text, parent), name);
    sample->setReadOnly(true);
    sample->setFocusPolicy(Qt::NoFocus);
    QFont font = sample->font();
    font.setBold(true);
    font.setPointSize(12);
    sample->setFont(font);
    return sample;
}

void PaintSample(QLineEdit* sample, int32_t text, int32_t back) {
    sample->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background-color: %2; }")
                              .arg(ColorFromRef(text).name(), ColorFromRef(back).name()));
}

}  // namespace

TPagesDlg::TPagesDlg(AppSettings& settings, Interaction& interaction, QWidget* parent)
    : QDialog(parent), settings_(settings), interaction_(interaction) {
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(QStringLiteral("Опции"));
    setFixedSize(kClientWidth, kClientHeight);

    tabs = Named(new QTabWidget(this), "PageControl1");
    generalPage = Named(new QWidget, "TabSheet1");
    chartPage = Named(new QWidget, "TabSheet2");
    otherPage = Named(new QWidget, "TabSheet3");
    tabs->addTab(generalPage, QStringLiteral("Общие"));
    tabs->addTab(chartPage, QStringLiteral("График"));
    tabs->addTab(otherPage, QStringLiteral("Прочее"));
    BuildGeneralTab();
    BuildChartTab();
    BuildColorsTab();

    cancelButton = MakeButton(this, "CancelBtn", QStringLiteral("Отмена"));
    okButton = MakeButton(this, "OKBtn", QStringLiteral("OK"));
    okButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(okButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs, 1);
    column->addLayout(buttons);

    // Escape rejects the dialog (QDialog's own key), Enter presses the default "OK".
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(okButton, &QPushButton::clicked, this, [this] { OKBtnClick(); });
}

void TPagesDlg::BuildGeneralTab() {
    connectAtStartCheck =
        MakeCheckBox(generalPage, "CheckBox5", QStringLiteral("Связь со старта программы"));
    showNormsCheck = MakeCheckBox(generalPage, "CheckBox2", QStringLiteral("показывать нормы"));
    normsInReportCheck =
        MakeCheckBox(generalPage, "CheckBox1", QStringLiteral("включать нормы в отчет"));
    portSearchBox =
        MakeRadioGroup(generalPage, "RadioGroup1", QStringLiteral("Опрос портов"),
                       {QStringLiteral("COM1..COM8"), QStringLiteral("Все доступные порты")},
                       portSearchGroup_, RadioGroup1Items);
    restoreDefaultsButton =
        MakeButton(generalPage, "Button24", QStringLiteral("Настройки по умолчанию."),
                   QStringLiteral("Восстановить все исходные настройки"));

    auto* boxes = new QVBoxLayout;
    boxes->addWidget(connectAtStartCheck);
    boxes->addWidget(showNormsCheck);
    boxes->addWidget(normsInReportCheck);
    boxes->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(boxes, 1);
    top->addWidget(portSearchBox, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(restoreDefaultsButton);
    bottom->addStretch();
    auto* page = new QVBoxLayout(generalPage);
    page->addLayout(top);
    page->addStretch();
    page->addLayout(bottom);

    connect(restoreDefaultsButton, &QPushButton::clicked, this, [this] { Button24Click(); });
}

void TPagesDlg::BuildChartTab() {
    chartQuantityBox = MakeRadioGroup(
        chartPage, "RadioGroup3", QStringLiteral("Отображать на графике:"),
        {QStringLiteral("Коэфф.поглощения  К , м-1"), QStringLiteral("Дымность  N,  %")},
        chartQuantityGroup_, RadioGroup3Items);
    lineWidthLabel =
        Named(new QLabel(QStringLiteral("Толщина линий графиков"), chartPage), "Label7");
    lineWidthSpin = Named(new QSpinBox(chartPage), "SpinEdit7");
    lineWidthSpin->setRange(kMinLineWidth, kMaxLineWidth);
    lineWidthSpin->setAccessibleName(lineWidthLabel->text());
    // One character wide, as the box holds one digit.
    lineWidthSpin->setMaximumWidth(
        lineWidthSpin->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6 + 24);
    lineWidthLabel->setBuddy(lineWidthSpin);
    // The legend option is kept and stored, but the operator has no way to change it.
    showLegendCheck = MakeCheckBox(chartPage, "CheckBox3", QStringLiteral("показывать легенду"));
    showLegendCheck->setVisible(false);
    chartBackButton = MakeButton(chartPage, "Button7", QStringLiteral("фон графика"));
    chartBackSample = MakeSample(chartPage, "Edit7", QString());
    chartBackSample->setAccessibleName(chartBackButton->text());

    auto* width = new QHBoxLayout;
    width->addWidget(lineWidthSpin);
    width->addWidget(lineWidthLabel);
    width->addStretch();
    auto* back = new QHBoxLayout;
    back->addWidget(chartBackButton);
    back->addWidget(chartBackSample);
    back->addStretch();
    auto* page = new QVBoxLayout(chartPage);
    page->addWidget(chartQuantityBox);
    page->addLayout(width);
    page->addWidget(showLegendCheck);
    page->addLayout(back);
    page->addStretch();

    connect(chartBackButton, &QPushButton::clicked, this,
            [this] { ChooseInto(values_.chartBackColor); });
}

void TPagesDlg::BuildColorsTab() {
    auto* grid = new QGridLayout(otherPage);
    for (int i = 0; i < kColorRows; ++i) {
        const RowText& t = kRowTexts[i];
        ColorRowWidgets& row = Rows[static_cast<size_t>(i)];
        const QString label = QString::fromUtf8(t.label);
        row.label = Named(new QLabel(label, otherPage), t.labelName);
        row.textButton = MakeButton(otherPage, t.textButton, QStringLiteral("ШРИФТ"));
        row.sample = MakeSample(otherPage, t.sample, QString::fromUtf8(t.sampleText));
        row.backButton = MakeButton(otherPage, t.backButton, QStringLiteral("ФОН"));
        // The buttons keep their text as their name; the row tells them apart.
        row.textButton->setAccessibleDescription(label);
        row.backButton->setAccessibleDescription(label);
        row.sample->setAccessibleName(label);
        grid->addWidget(row.label, i, 0);
        grid->addWidget(row.textButton, i, 1);
        grid->addWidget(row.sample, i, 2);
        grid->addWidget(row.backButton, i, 3);

        const auto which = static_cast<ColorRow>(i);
        connect(row.textButton, &QPushButton::clicked, this,
                [this, which] { ChooseInto(values_.Row(which).text); });
        connect(row.backButton, &QPushButton::clicked, this,
                [this, which] { ChooseInto(values_.Row(which).back); });
    }
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 2);
    grid->setRowStretch(kColorRows, 1);
    reportUnlockLabel = Rows[static_cast<size_t>(ColorRow::N)].label;
    reportUnlockLabel->installEventFilter(this);
}

void TPagesDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TPagesDlg::FormShow() {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    tabs->setCurrentIndex(0);
    values_.Load(settings_);
    ShowValues();
}

void TPagesDlg::ShowValues() {
    connectAtStartCheck->setChecked(values_.connectAtStart);
    showNormsCheck->setChecked(values_.showNorms);
    normsInReportCheck->setChecked(values_.normsInReport);
    showLegendCheck->setChecked(values_.showLegend);
    portSearchGroup_->button(values_.portSearch)->setChecked(true);
    chartQuantityGroup_->button(values_.chartQuantity)->setChecked(true);
    lineWidthSpin->setValue(values_.lineWidth);
    PaintSamples();
}

void TPagesDlg::PaintSamples() {
    PaintSample(chartBackSample, values_.chartBackColor, values_.chartBackColor);
    for (int i = 0; i < kColorRows; ++i) {
        const auto& colors = values_.rows[static_cast<size_t>(i)];
        PaintSample(Rows[static_cast<size_t>(i)].sample, colors.text, colors.back);
    }
}

void TPagesDlg::ChooseInto(int32_t& color) {
    const std::optional<QColor> chosen = interaction_.ChooseColor(ColorFromRef(color));
    if (!chosen || !chosen->isValid()) return;
    color = ColorToRef(*chosen);
    PaintSamples();
}

bool TPagesDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == reportUnlockLabel && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            reportUnlockLabel->rect().contains(mouse->position().toPoint()))
            emit reportUnlockRequested();
    }
    return QDialog::eventFilter(watched, event);
}

void TPagesDlg::OKBtnClick() {
    values_.connectAtStart = connectAtStartCheck->isChecked();
    values_.portSearch = portSearchGroup_->checkedId() == 1 ? 1 : 0;
    values_.chartQuantity = chartQuantityGroup_->checkedId() == 1 ? 1 : 0;
    values_.normsInReport = normsInReportCheck->isChecked();
    values_.showNorms = showNormsCheck->isChecked();
    values_.showLegend = showLegendCheck->isChecked();
    values_.lineWidth = LineWidthFromEntry(lineWidthSpin->cleanText());
    values_.Store(settings_);
    accept();
}

void TPagesDlg::Button24Click() {
    const Answer answer = interaction_.Warn(
        QStringLiteral("Вы действительно хотите восстановить значения по умолчанию ?"),
        Buttons::YesNoCancel);
    if (answer != Answer::Yes) return;
    RestoreDefaults(settings_);
    emit defaultsRestored();
    done(DefaultsRestored);
}

}  // namespace kelvaron
