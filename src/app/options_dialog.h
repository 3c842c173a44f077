#pragma once
// TPagesDlg, "Опции": the operator's options on three tabs, a view over
// AppSettings. The controls are loaded from the record at every showing and
// stored back only by "OK"; "Настройки по умолчанию." puts the whole default
// record in place after a question.
//
// The host shows the dialog modally (exec()) and, however it closed, applies the
// settings to its windows. When exec() returns DefaultsRestored (the signal
// defaultsRestored() is raised as well) the record is the default record and the
// host also restores its window geometry from it. A click on the label
// "Цвет N , %" raises reportUnlockRequested(): the host makes its report view
// editable for the rest of the run.
#include "app/options_model.h"
#include "base/app_settings.h"
#include "base/interaction.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace kelvaron {

class TPagesDlg final : public QDialog {
    Q_OBJECT

public:
    // exec()'s result after the defaults were restored.
    static constexpr int DefaultsRestored = 2;

    TPagesDlg(AppSettings& settings, Interaction& interaction, QWidget* parent = nullptr);

    QTabWidget* tabs = nullptr;
    QWidget* generalPage = nullptr;  // "Общие"
    QWidget* chartPage = nullptr;    // "График"
    QWidget* otherPage = nullptr;    // "Прочее"

    // "Общие"
    QCheckBox* connectAtStartCheck = nullptr;  // connectAtStart
    QCheckBox* showNormsCheck = nullptr;       // showNorms
    QCheckBox* normsInReportCheck = nullptr;   // normsInReport
    QGroupBox* portSearchBox = nullptr;
    std::array<QRadioButton*, 2> RadioGroup1Items{};  // portSearch
    QPushButton* restoreDefaultsButton = nullptr;     // restore defaults

    // "График"
    QGroupBox* chartQuantityBox = nullptr;
    std::array<QRadioButton*, 2> RadioGroup3Items{};  // chartQuantity
    QLabel* lineWidthLabel = nullptr;        // "Толщина линий графиков"
    QSpinBox* lineWidthSpin = nullptr;       // lineWidth
    QCheckBox* showLegendCheck = nullptr;    // showLegend, never visible
    QPushButton* chartBackButton = nullptr;  // "фон графика"
    QLineEdit* chartBackSample = nullptr;    // its sample

    // "Прочее": one row per value panel, in ColorRow order.
    struct ColorRowWidgets {
        QLabel* label = nullptr;
        QPushButton* textButton = nullptr;  // "ШРИФТ"
        QLineEdit* sample = nullptr;
        QPushButton* backButton = nullptr;  // "ФОН"
    };
    std::array<ColorRowWidgets, kColorRows> Rows{};
    QLabel* reportUnlockLabel = nullptr;  // "Цвет N , %": the hidden unlock of the report view

    QPushButton* cancelButton = nullptr;  // "Отмена"
    QPushButton* okButton = nullptr;      // "OK"

    // What the controls show now (the working copy the samples are drawn from).
    const OptionsValues& Shown() const { return values_; }

signals:
    void defaultsRestored();
    void reportUnlockRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGeneralTab();
    void BuildChartTab();
    void BuildColorsTab();
    void FormShow();
    void ShowValues();
    void PaintSamples();
    void ChooseInto(int32_t& color);
    void OKBtnClick();
    void Button24Click();

    AppSettings& settings_;
    Interaction& interaction_;
    OptionsValues values_;
    QButtonGroup* portSearchGroup_ = nullptr;
    QButtonGroup* chartQuantityGroup_ = nullptr;
};

}  // namespace kelvaron
