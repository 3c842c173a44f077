// The report in the main window: composed after a test and after "Стереть", from
// the template on disk at every selection of "Отчет", with the header typed into
// its dialog and the norm chosen in the norms dialog.
#include "app/command_bars.h"
#include "app/right_column.h"
#include "base/text_codec.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "report/view/norms_dialog.h"
#include "report/view/report_header_dialog.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "testing/file_bytes.h"
#include "testing/window_station.h"

#include <QChart>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

void Type(QWidget* target, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Enter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }

QStringList Report(TForm1& form) { return form.Report().Lines(); }

}  // namespace

class WindowReportTest : public QObject {
    Q_OBJECT

private slots:
    void reportCarriesTheInstrumentsResultAndTheSixPeaksThenNoneAfterAnErase() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        sim::Opacimeter instrument(
            sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 500'000});
        QVERIFY(s.Connect(instrument));
        QVERIFY(s.TickUntil([&] { return form.Results().freeAccelMeanX10 != 0; }, 3000));
        form.ShowView(View::Report);
        const QStringList lines = Report(form);
        QCOMPARE(lines.size(), 29);  // the built-in template, with the norms line
        // The instrument's mean of 44.1 % (K 1.353) on the free-acceleration line.
        QCOMPARE(form.Results().freeAccelMeanX10, 441);
        QCOMPARE(lines[13], QStringLiteral("      K = 1,353 м-1 ,   Ср.дымность N = 44,1 % "));
        // Six rows of peaks, each under its number; the oil column shows the box.
        for (int n = 1; n <= 6; ++n) {
            const QString row = lines[15 + n];
            QVERIFY2(row.startsWith(QStringLiteral("    %1         ").arg(n)), qPrintable(row));
            const QStringList columns = row.mid(14).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QCOMPARE(columns.size(), 4);
            QVERIFY2(QString(columns[0]).replace(',', '.').toDouble() > 1.0, qPrintable(row));
            QVERIFY2(QString(columns[1]).replace(',', '.').toDouble() > 40, qPrintable(row));
            QCOMPARE(columns[2], QStringLiteral("0,0"));
            QVERIFY2(columns[3].toInt() > 4000, qPrintable(row));
        }

        // "Стереть": no result and rows without numbers, composed at once.
        form.Column().clearResultsButton->click();
        form.ShowView(View::Report);
        const QStringList erased = Report(form);
        QCOMPARE(erased[13], QStringLiteral("      "));
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(erased[15 + n], QStringLiteral("    %1").arg(n) + QString(57, ' '));
    }

    void templateEditedOnDiskShowsAtTheNextSelectionEvenOfTheSameView() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        form.Header().vehicleNumber = QStringLiteral("А123АА");
        form.ShowView(View::Report);
        QVERIFY(QFile::exists(s.Path("TemplateDef.txt")));  // written with the built-in one
        PutFile(s.Path("TemplateDef.txt"), EncodeCp1251(QStringLiteral("Номер #3\r\n##7#F\r\n")));
        // A second click on "Отчет", already selected, composes again.
        QListWidget* list = form.Column().viewList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(2)).center());
        QCOMPARE(Report(form).value(0), QStringLiteral("Номер А123АА"));
        QCOMPARE(Report(form).value(1), QStringLiteral("7") + QString(57, ' '));  // no test yet

        // A template that cannot be read: the report of this vehicle from the
        // built-in template, and the status line says so.
        QVERIFY(QFile::remove(s.Path("TemplateDef.txt")));
        QVERIFY(QDir().mkdir(s.Path("TemplateDef.txt")));
        form.Header().vehicleNumber = QStringLiteral("B777BB");
        form.ShowView(View::Report);
        QCOMPARE(Report(form).size(), 29);
        QCOMPARE(Report(form)[4].trimmed(), QStringLiteral("№ автомобиля:  B777BB       VIN:"));
        QCOMPARE(form.Status().modeLine->text(),
                 QStringLiteral("Не удалось прочитать TemplateDef.txt"));
    }

    // Dates, times and numbers in Russian whatever the machine's locale: this test
    // also runs under C.UTF-8 and ru_RU.UTF-8 (see the CMake file).
    void datesAndNumbersAreRussianWhateverTheMachinesLocale() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start(QSize(1920, 1080), std::nullopt);
        s.Show();
        sim::Opacimeter instrument;
        QVERIFY(s.Connect(instrument));
        QVERIFY(s.TickUntil([&] { return form.Readings().opacityX10 != 0; }, 50));
        s.TickUntil([] { return false; }, 10);
        QVERIFY2(QRegularExpression("^\\d+,\\d$").match(form.Live().nValueBox->text()).hasMatch(),
                 qPrintable(form.Live().nValueBox->text()));
        // The axis labels with the comma, and drawn: ink right of the plot area.
        QChart* chart = form.MeasurementChart3().Chart();
        QCOMPARE(chart->locale().decimalPoint(), QStringLiteral(","));
        QVERIFY(chart->localizeNumbers());
        QImage picture(chart->scene()->sceneRect().size().toSize(), QImage::Format_RGB32);
        QPainter painter(&picture);
        chart->scene()->render(&painter);
        // Right of the right axis and its ticks, where its labels stand.
        const QRect plot = chart->plotArea().toRect();
        const QColor background = picture.pixelColor(plot.right() + 20, plot.top() - 5);
        int ink = 0;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.right() + 8; x <= plot.right() + 28 && x < picture.width(); ++x)
                ink += picture.pixelColor(x, y) != background;
        QVERIFY2(ink > 50, qPrintable(QString::number(ink)));
        form.ShowView(View::Report);
        QCOMPARE(Report(form)[8].simplified(), QStringLiteral("Дата: 06.12.2026 Время: 14:05:07"));
    }

    void headerTypedWithTheKeyboardReachesTheChartTitleAndTheReport() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        WhenModal([](QWidget* dialog) {
            // The number field has the focus; Enter moves number → make → owner →
            // additional text → decision list → "ОК", and Enter there presses it.
            Type(QApplication::focusWidget(), QStringLiteral(" А123АА "));
            Enter();
            Type(QApplication::focusWidget(), QStringLiteral("КАМАЗ"));
            Enter();
            Type(QApplication::focusWidget(), QStringLiteral("Иванов"));
            Enter();
            Type(QApplication::focusWidget(), QStringLiteral("прицеп #5"));
            Enter();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // "ГОДЕН"
            Enter();
            Enter();
            QVERIFY(!dialog->isVisible());
        });
        QTest::keyClick(&form, Qt::Key_F11);
        QCOMPARE(form.Header().vehicleNumber, QStringLiteral("А123АА"));  // trimmed by the title
        QCOMPARE(form.Header().decision, QStringLiteral("ГОДЕН"));
        const QString title = form.MeasurementChart3().Chart()->title();
        QVERIFY2(title.contains(
                     QStringLiteral("№ авт.: А123АА Марка: КАМАЗ Влад.: Иванов Дата: 06.12.2026")),
                 qPrintable(title));
        form.ShowView(View::Report);
        const QStringList lines = Report(form);
        QCOMPARE(lines[4], QStringLiteral("     № автомобиля:  А123АА       VIN:   "));
        QCOMPARE(lines[6],
                 QStringLiteral("     Марка:         КАМАЗ       Владелец:      Иванов       "
                                "прицеп #5"));
        QCOMPARE(lines[8],
                 QStringLiteral("                   Дата:   06.12.2026     Время:  14:05:07"));
        QCOMPARE(lines[28],
                 QStringLiteral("   Решение по автомобилю :   ГОДЕН              Подпись:"));
    }

    void normAddedInTheDialogShowsUnderTheChartAndInTheReport() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        // At the first showing the first built-in norm fills the norms line.
        QTRY_COMPARE(form.Charts().NormText(),
                     QStringLiteral("    по ГОСТ без наддува:   2,5  м-1"));
        WhenModal([](QWidget* dialog) {
            auto* norms = static_cast<TForm3*>(dialog);
            norms->normField->clear();
            Type(norms->normField, QStringLiteral(" 3,5 м-1"));
            norms->addButton->click();  // "Добавить"
            norms->okButton->click();   // "ОК"
        });
        form.Column().normsButton->click();  // "Нормы"
        QCOMPARE(form.Charts().NormText(), QStringLiteral(" 3,5 м-1"));
        QCOMPARE(form.Settings().normIndex(), 2);
        QFile file(s.Path("norma.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 EncodeCp1251(QStringLiteral("    по ГОСТ без наддува:   2,5  м-1\r\n"
                                             "    по ГОСТ с наддувом:    3,0  м-1\r\n"
                                             " 3,5 м-1\r\n")));
        form.ShowView(View::Report);
        QCOMPARE(Report(form)[26], QStringLiteral("  Нормы:    3,5 м-1"));
        // A norm typed into the norms line itself is what the report prints.
        form.Charts().normsField->setText(QStringLiteral("своя норма"));
        form.ShowView(View::Report);
        QCOMPARE(Report(form)[26], QStringLiteral("  Нормы:   своя норма"));
    }

    void storedNormIndexThatNamesNoEntrySelectsTheFirst_data() {
        QTest::addColumn<int>("stored");
        QTest::newRow("beyond the list") << 7;
        QTest::newRow("negative, from a damaged file") << -1;
    }
    void storedNormIndexThatNamesNoEntrySelectsTheFirst() {
        QFETCH(int, stored);
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setNormIndex(stored);
        s.StoreQuiet(settings);
        TForm1& form = s.Start();
        s.Show();
        QTRY_COMPARE(form.Charts().NormText(),
                     QStringLiteral("    по ГОСТ без наддува:   2,5  м-1"));
        QCOMPARE(form.Settings().normIndex(), 0);
    }
};

QTEST_MAIN(WindowReportTest)
#include "test_window_report.moc"
