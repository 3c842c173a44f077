// The options dialog in the main window: every change applied at once after OK,
// nothing after "Отмена", the defaults with the window's geometry, the hidden
// unlock of the report view; and the settings applied at start.
#include "app/options_dialog.h"
#include "app/right_column.h"
#include "base/colors.h"
#include "base/text_codec.h"
#include "device/view/bar_chart.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/view/recording_group.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "testing/file_bytes.h"
#include "testing/window_station.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QValueAxis>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

QColor TextOf(QWidget* w) { return w->palette().color(QPalette::Text); }
QColor BaseOf(QWidget* w) { return w->palette().color(QPalette::Base); }

}  // namespace

class WindowOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void storedSettingsAreAppliedAtStart() {
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setKFontColor(0x000000FF);    // red
        settings.setKBackColor(0x00FF0000);    // blue
        settings.setNFontColor(0x0000FF00);    // lime
        settings.setNBackColor(0x00008000);    // green
        settings.setRpmFontColor(0x00FFFFFF);  // white
        settings.setRpmBackColor(0x00808000);  // teal
        settings.setOilFontColor(0x00000000);  // black
        settings.setOilBackColor(0x0000FFFF);  // yellow
        settings.setCaptionFontColor(0x00800080);
        settings.setCaptionBackColor(0x00FFFFFF);
        settings.setChartBackColor(0x00FFFFFF);
        settings.setShowLegend(0);
        settings.setShowNorms(0);
        settings.setLineWidth(4);
        s.StoreQuiet(settings);
        TForm1& form = s.Start();
        s.Show();
        QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());
        LivePanel& live = form.Live();
        QCOMPARE(TextOf(live.kValueBox), QColor(255, 0, 0));
        QCOMPARE(BaseOf(live.kValueBox), QColor(0, 0, 255));
        QCOMPARE(TextOf(live.nValueBox), QColor(0, 255, 0));
        QCOMPARE(BaseOf(live.nValueBox), QColor(0, 128, 0));
        QCOMPARE(TextOf(live.rpmValueBox), QColor(255, 255, 255));
        QCOMPARE(BaseOf(live.rpmValueBox), QColor(0, 128, 128));
        QCOMPARE(TextOf(live.oilValueBox), QColor(0, 0, 0));
        QCOMPARE(BaseOf(live.oilValueBox), QColor(255, 255, 0));
        for (QPlainTextEdit* caption :
             {live.kCaption, live.nCaption, live.rpmCaption, live.oilCaption}) {
            QCOMPARE(TextOf(caption), QColor(128, 0, 128));
            QCOMPARE(BaseOf(caption), QColor(255, 255, 255));
        }
        // Chamber and ambient keep white on black.
        for (ValueBox* box : {live.chamberValueBox, live.ambientValueBox}) {
            QCOMPARE(TextOf(box), QColor(Qt::white));
            QCOMPARE(BaseOf(box), QColor(Qt::black));
        }
        QChart* chart = form.MeasurementChart3().Chart();
        QCOMPARE(chart->backgroundBrush().color(), QColor(Qt::white));
        QVERIFY(!chart->legend()->isVisible());
        QCOMPARE(form.MeasurementChart3().Curve(3)->pen().width(), 4);
        // Without the norms line the chart takes the whole area, and after the next
        // resize the whole area but 2 pixels; the line stays hidden.
        QVERIFY(form.Charts().normsPanel->isHidden());
        QCOMPARE(form.Charts().chartView->height(), form.Charts().height());
        form.resize(form.width() + 20, form.height() + 20);
        QTRY_COMPARE(form.Charts().chartView->height(), form.Charts().height() - 2);
        QVERIFY(form.Charts().normsPanel->isHidden());
    }

    void okAppliesEveryOptionAtOnceAndCancelNothing() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());
        // A point drawn in K stays where it was when the chart switches to N.
        form.MeasurementChart3().AddPoint(1, 5, 1.5);
        const int areaHeight = form.Charts().height();
        QVERIFY(!form.Charts().normsPanel->isHidden());

        // "Отмена" after changes: nothing of them arrives.
        s.messages.colorChoices.push_back(QColor(255, 0, 0));
        WhenModal([](QWidget* dialog) {
            auto* options = static_cast<TPagesDlg*>(dialog);
            options->RadioGroup3Items[1]->click();
            options->Rows[0].backButton->click();
            options->cancelButton->click();
        });
        form.Column().optionsButton->click();
        QCOMPARE(form.Settings(), [] {
            AppSettings d = AppSettings::Defaults();
            d.setConnectAtStart(0);
            return d;
        }());
        QCOMPARE(BaseOf(form.Live().kValueBox), QColor(Qt::black));

        // OK: N on the chart, the norms line hidden, width 5, a red K panel.
        s.messages.colorChoices.push_back(QColor(255, 0, 0));
        WhenModal([](QWidget* dialog) {
            auto* options = static_cast<TPagesDlg*>(dialog);
            options->RadioGroup3Items[1]->click();
            options->showNormsCheck->setChecked(false);
            options->lineWidthSpin->setValue(5);
            options->Rows[0].backButton->click();
            options->okButton->click();
        });
        form.Menus().optionsItem->trigger();  // "Опции" presses the button
        QCOMPARE(form.Settings().chartQuantity(), 1);
        QCOMPARE(form.MeasurementChart3().LeftAxis()->max(), 100.0);
        QCOMPARE(form.Live().barChart->Maximum(), 100.0);
        QCOMPARE(form.MeasurementChart3().FootText(), QStringLiteral("    Дымность   ,   %    "));
        QCOMPARE(form.MeasurementChart3().Curve(1)->at(0), QPointF(5, 1.5));
        QVERIFY(form.Charts().normsPanel->isHidden());
        QCOMPARE(form.Charts().chartView->height(), areaHeight);
        QCOMPARE(form.MeasurementChart3().Curve(6)->pen().width(), 5);
        QCOMPARE(BaseOf(form.Live().kValueBox), QColor(255, 0, 0));
        QCOMPARE(form.Settings().kBackColor(), 0x000000FF);
        // The settings reach the file at the next close.
        form.close();
        QCOMPARE(s.SavedSettings().chartQuantity(), 1);
        QCOMPARE(s.SavedSettings().showNorms(), 0);
        QCOMPARE(s.SavedSettings().lineWidth(), 5);
    }

    void restoredDefaultsBringBackTheWindowAndEveryColour() {
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setConnectAtStart(0);
        settings.setWindowLeft(40);
        settings.setWindowTop(30);
        settings.setWindowWidth(900);
        settings.setWindowHeight(700);
        settings.setKBackColor(0x00FF0000);
        settings.setChartBackColor(0x00FFFFFF);
        settings.setNormIndex(1);
        settings.setRecordInterval(200);
        settings.setRecordOnePoint(1);
        s.Store(settings);
        TForm1& form = s.Start();
        s.Show();
        QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());
        s.messages.answers = {Answer::No, Answer::Cancel, Answer::Yes};
        WhenModal([](QWidget* dialog) {
            auto* options = static_cast<TPagesDlg*>(dialog);
            options->restoreDefaultsButton->click();  // No: stays open, nothing changes
            options->restoreDefaultsButton->click();  // Cancel: the same
            QVERIFY(options->isVisible());
            options->restoreDefaultsButton->click();  // Yes
        });
        form.Column().optionsButton->click();
        QCOMPARE(s.messages.warnings.size(), 3);
        QCOMPARE(s.messages.warnings[0].text,
                 QStringLiteral("Вы действительно хотите восстановить значения по умолчанию ?"));
        QCOMPARE(s.messages.warnings[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(form.Settings(), AppSettings::Defaults());  // all 320 bytes
        QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(0, 0));
        QTRY_COMPARE(form.frameGeometry().size(), QSize(638, 478));
        QCOMPARE(BaseOf(form.Live().kValueBox), QColor(Qt::black));
        QCOMPARE(TextOf(form.Live().kValueBox), QColor(255, 255, 0));
        QCOMPARE(form.MeasurementChart3().Chart()->backgroundBrush().color(), QColor(Qt::black));
        QVERIFY(!form.Charts().normsPanel->isHidden());
        // The recording group shows the restored interval and one-point mode, and a
        // new file's header names the interval its rows come at.
        QCOMPARE(form.Recording().intervalCombo->currentText(), QStringLiteral("1"));
        QVERIFY(!form.Recording().onePointCheck->isChecked());
        WindowStation::BeginRecording(form);
        QCOMPARE(form.RecordTimer().interval(), 1);
        QVERIFY(FileBytes(form.Recording().Session().FilePath())
                    .contains(EncodeCp1251(QStringLiteral("\tИнтервал=1мс.\t\r\n"))));
    }

    void aClickOnTheNColourLabelUnlocksTheReportViewForTheRun() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        QVERIFY(form.Report().isReadOnly());
        WhenModal([](QWidget* dialog) {
            auto* options = static_cast<TPagesDlg*>(dialog);
            options->tabs->setCurrentWidget(options->otherPage);
            QTest::mouseClick(options->reportUnlockLabel, Qt::LeftButton);
            options->cancelButton->click();
        });
        form.Column().optionsButton->click();
        QVERIFY(!form.Report().isReadOnly());
    }
};

QTEST_MAIN(WindowOptionsTest)
#include "test_window_options.moc"
