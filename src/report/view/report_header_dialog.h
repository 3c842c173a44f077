#pragma once
// TForm2, "Оформление данных": the report header dialog. It edits the vehicle
// data and the decision of the report (ReportHeader) and the station's two lines
// (StationInfo), records the main window owns. The operator fills it with the
// keyboard alone: Enter moves from field to field and finally presses "ОК".
//
// The host shows it with exec(). Whatever the result, it then rebuilds the chart
// title and composes the report; when the result is EditTemplate ("Редактировать
// шаблон", closed without storing) it first opens the template file.
#include "base/clock.h"
#include "base/locale_formats.h"
#include "base/station_info.h"
#include "report/report_header.h"

#include <QDialog>
#include <QHash>
#include <QLocale>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelvaron {

class TForm2 final : public QDialog {
    Q_OBJECT

public:
    // exec()'s result when "Редактировать шаблон" closed the dialog (Accepted for
    // "ОК", Rejected for "Отмена", Esc or the close box).
    static constexpr int EditTemplate = 2;
    // Entry limits of the vehicle fields and of the station lines.
    static constexpr int kFieldChars = 15;
    static constexpr int kVinChars = 17;  // a vehicle identification number has 17

    TForm2(ReportHeader& header, StationInfo& station, const Clock& clock,
           const QLocale& locale = ProgramLocale(), QWidget* parent = nullptr);

    // The decision list's texts as shown; the first is stored as eight underscores.
    static QStringList DecisionTexts();

    QLineEdit* stationLine1Field = nullptr;  // station line 1 (#1), locked until "Изменить"
    QLineEdit* stationLine2Field = nullptr;  // station line 2 (#2), locked until "Изменить"
    QLineEdit* numberField = nullptr;        // vehicle number (#3)
    QLineEdit* vinField = nullptr;           // VIN (#B)
    QLineEdit* makeField = nullptr;          // make (#4)
    QLineEdit* ownerField = nullptr;         // owner (#5)
    QLineEdit* additionalField = nullptr;    // additional text (#6)
    QLabel* dateLabel = nullptr;             // the date at opening (#7)
    QLabel* timeLabel = nullptr;             // the time at opening (#8)
    QListWidget* decisionList = nullptr;     // the decision (#9)
    QPushButton* okButton = nullptr;         // "ОК"
    QPushButton* cancelButton = nullptr;     // "Отмена"
    QPushButton* changeStationButton = nullptr;  // "Изменить"
    QPushButton* editTemplateButton = nullptr;   // "Редактировать шаблон"

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWidgets();
    void FormShow();
    void BitBtn1Click();
    void BitBtn3Click();

    ReportHeader& header_;
    StationInfo& station_;
    const Clock& clock_;
    QLocale locale_;
    // Where the focus goes when Enter is released in a field.
    QHash<QObject*, QWidget*> enterNext_;
    // The field that received the Enter press, so that only a press and release in
    // the same field moves on (a press that clicked a button does not).
    QObject* enterPressedIn_ = nullptr;
};

}  // namespace kelvaron
