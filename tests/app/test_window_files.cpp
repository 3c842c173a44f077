// The report's and the chart's file commands in the main window: the view each
// brings to the front, the dialogs they show (answered from a script), the files
// they write, and the picture types kept in the settings.
#include "app/options_dialog.h"
#include "app/right_column.h"
#include "app/widget_interaction.h"
#include "base/colors.h"
#include "base/text_codec.h"
#include "report/norms_list.h"
#include "report/report_files.h"
#include "report/report_template.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "testing/file_bytes.h"
#include "testing/window_station.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

quint32 Le32(const QByteArray& b, int at) {
    return static_cast<quint8>(b[at]) | static_cast<quint8>(b[at + 1]) << 8 |
           static_cast<quint8>(b[at + 2]) << 16 |
           static_cast<quint32>(static_cast<quint8>(b[at + 3])) << 24;
}

// Shows the window with a vehicle in the header.
TForm1& StartWithVehicle(WindowStation& s, AppSettings settings = AppSettings::Defaults()) {
    s.StoreQuiet(settings);
    TForm1& form = s.Start();
    s.Show();
    form.Header().vehicleNumber = QStringLiteral(" А123АА ");
    form.Header().owner = QStringLiteral("Иванов");
    return form;
}

}  // namespace

class WindowFilesTest : public QObject {
    Q_OBJECT

private slots:
    void reportIsSavedUnderTheStampedNameInTextAndTheOpenDialogFollows() {
        WindowStation s;
        TForm1& form = StartWithVehicle(s);
        const QString elsewhere = s.Path("elsewhere");
        QVERIFY(QDir().mkdir(elsewhere));
        s.messages.saveChoices.push_back(FileChoice{elsewhere + "/отчет.txt", 1});
        form.Column().saveReportButton->click();            // "Сохранить"
        QCOMPARE(form.Column().viewList->currentRow(), 2);  // the report to the front
        QCOMPARE(s.messages.saveDialogs.size(), 1);
        const FileDialog& save = s.messages.saveDialogs[0];
        QCOMPARE(save.title, QStringLiteral("Сохранение ОТЧЕТА"));
        QCOMPARE(save.suggestedName, QStringLiteral("А123АА_Иванов_12-06_14-05.txt"));
        QCOMPARE(QDir(save.folder).absolutePath(), QDir(s.Path("Text")).absolutePath());
        QVERIFY(save.askOverwrite);
        // The file holds the report view's lines, Windows-1251 with CR LF.
        const QStringList lines = form.Report().Lines();
        QCOMPARE(lines.size(), 29);
        QCOMPARE(FileBytes(elsewhere + "/отчет.txt"),
                 EncodeCp1251(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        // "Открыть" starts where the report was saved and hands the file to the desktop.
        s.messages.openChoices.push_back(FileChoice{elsewhere + "/отчет.txt", 1});
        form.Menus().openReportItem->trigger();  // "Открыть отчет" presses "Открыть"
        QCOMPARE(QDir(s.messages.openDialogs.last().folder).absolutePath(),
                 QDir(elsewhere).absolutePath());
        QCOMPARE(s.messages.openDialogs.last().title, QStringLiteral("Открытие ОТЧЕТА"));
        QCOMPARE(s.messages.opened, QStringList{elsewhere + "/отчет.txt"});
        QCOMPARE(form.Report().Lines(), lines);  // opening never loads the file
    }

    void reportShownAlreadyIsSavedAsItStands() {
        WindowStation s;
        TForm1& form = StartWithVehicle(s);
        form.ShowView(View::Report);
        const QStringList shown = form.Report().Lines();
        // The template changes on disk; the view is not composed again.
        PutFile(s.Path("TemplateDef.txt"), "changed\r\n");
        s.messages.saveChoices.push_back(FileChoice{s.Path("Text/a.txt"), 1});
        form.Menus().saveReportItem->trigger();  // "Сохранить отчет"
        QCOMPARE(FileBytes(s.Path("Text/a.txt")),
                 EncodeCp1251(shown.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        // From another view the report is composed afresh first.
        form.ShowView(View::Table);
        s.messages.saveChoices.push_back(FileChoice{s.Path("Text/b.txt"), 1});
        form.Column().saveReportButton->click();
        QCOMPARE(FileBytes(s.Path("Text/b.txt")), QByteArray("changed\r\n"));
    }

    void reportThatCannotBeWrittenIsNamedInOneMessageAndTheOldFileStays() {
        WindowStation s;
        TForm1& form = StartWithVehicle(s);
        PutFile(s.Path("Text/kept.txt"), "old report\r\n");
        QFile::setPermissions(s.Path("Text/kept.txt"), QFile::ReadOwner);
        s.messages.saveChoices.push_back(FileChoice{s.Path("Text/kept.txt"), 1});
        form.Column().saveReportButton->click();
        QFile::setPermissions(s.Path("Text/kept.txt"), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(s.messages.notices.size(), 1);
        QVERIFY(s.messages.notices[0].contains(s.Path("Text/kept.txt")) ||
                s.messages.notices[0].contains(QDir::toNativeSeparators(s.Path("Text/kept.txt"))));
        QCOMPARE(FileBytes(s.Path("Text/kept.txt")), QByteArray("old report\r\n"));
    }

    void chartIsSavedWithTheTypesExtensionAtItsSizeOnScreen() {
        WindowStation s;
        TForm1& form = StartWithVehicle(s);
        // Type 2: a metafile; "probe" gains ".emf", "again.emf" no second one.
        s.messages.saveChoices.push_back(FileChoice{s.Path("Graph/probe"), 2});
        form.Menus().saveChartItem->trigger();  // "Сохранить график"
        QCOMPARE(form.Column().viewList->currentRow(), 1);
        const FileDialog& save = s.messages.saveDialogs.last();
        QCOMPARE(save.title, QStringLiteral("Сохранение ГРАФИКА"));
        QCOMPARE(save.suggestedName, QStringLiteral("А123АА_Иванов_12-06_14-05"));
        QCOMPARE(save.type, 1);  // fresh settings: the first type
        const QByteArray emf = FileBytes(s.Path("Graph/probe.emf"));
        QVERIFY(emf.size() > 100);
        QCOMPARE(Le32(emf, 0), 1u);            // the header record
        QCOMPARE(Le32(emf, 40), 0x464D4520u);  // " EMF"
        QCOMPARE(Le32(emf, 48), static_cast<quint32>(emf.size()));
        s.messages.saveChoices.push_back(FileChoice{s.Path("Graph/again.emf"), 2});
        form.Menus().saveChartItem->trigger();
        QCOMPARE(s.messages.saveDialogs.last().type, 2);  // the type chosen last time
        QVERIFY(QFile::exists(s.Path("Graph/again.emf")));
        QVERIFY(!QFile::exists(s.Path("Graph/again.emf.emf")));
        // Type 1: a bitmap of the chart as it stands on screen.
        s.messages.saveChoices.push_back(FileChoice{s.Path("Graph/shot"), 1});
        form.Menus().saveChartItem->trigger();
        const QImage bmp(s.Path("Graph/shot.bmp"), "BMP");
        QCOMPARE(bmp.size(), form.Charts().chartView->viewport()->size());
        QVERIFY(FileBytes(s.Path("Graph/shot.bmp")).startsWith("BM"));
    }

    // The real save dialog: switching the type swaps the extension of the name
    // shown, also when the owner's initials put dots into it.
    void switchingTheTypeKeepsTheSuggestedNameWhole() {
        QTemporaryDir dir;
        const QString base = QStringLiteral("А123АА_Иванов И.И._12-08_15-55");
        QString shown;
        WhenModal([&](QWidget* dialog) {
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (types && name) {
                types->setCurrentIndex(1);
                emit types->activated(1);
                shown = name->text();
            }
            qobject_cast<QDialog*>(dialog)->reject();
        });
        WidgetInteraction real(nullptr);
        QVERIFY(!real.SaveFile(SaveChartDialog(dir.path(), base, 1)));
        QCOMPARE(shown, base + QStringLiteral(".emf"));
    }

    void pictureTypesComeFromTheSettingsAndGoBackAtClose_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("defaultsRestored");  // "Настройки по умолчанию" first
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("kept");  // the save type at close: none was chosen
        QTest::newRow("fresh settings") << 0 << false << 1 << 0;
        QTest::newRow("metafile") << 2 << false << 2 << 2;
        QTest::newRow("damaged") << 9 << false << 1 << 9;
        QTest::newRow("metafile, then the defaults") << 2 << true << 1 << 0;
    }
    void pictureTypesComeFromTheSettingsAndGoBackAtClose() {
        QFETCH(int, stored);
        QFETCH(bool, defaultsRestored);
        QFETCH(int, shown);
        QFETCH(int, kept);
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setGraphSaveFilter(stored);
        settings.setGraphOpenFilter(stored);
        TForm1& form = StartWithVehicle(s, settings);
        if (defaultsRestored) {
            s.messages.answers = {Answer::Yes};
            WhenModal([](QWidget* options) {
                static_cast<TPagesDlg*>(options)->restoreDefaultsButton->click();
            });
            form.Column().optionsButton->click();
        }
        form.Menus().saveChartItem->trigger();  // cancelled
        QCOMPARE(s.messages.saveDialogs.last().type, shown);
        s.messages.openChoices.push_back(FileChoice{s.Path("Graph/missing.bmp"), 3});
        form.Menus().openChartItem->trigger();  // "Открыть график"
        QCOMPARE(s.messages.openDialogs.last().title, QStringLiteral("Открытие ГРАФИКА"));
        QCOMPARE(s.messages.openDialogs.last().type, std::min(shown, 3));
        // A chosen file that is not there: the warning with its path, nothing opened.
        QCOMPARE(s.messages.warnings.last().text,
                 QStringLiteral("Файл не найден :") + s.Path("Graph/missing.bmp"));
        QVERIFY(s.messages.opened.isEmpty());
        form.close();
        QCOMPARE(s.SavedSettings().graphSaveFilter(), kept);
        QCOMPARE(s.SavedSettings().graphOpenFilter(), 3);
    }

    void printingTheChartTurnsItWhiteAndBackWhateverTheAnswer() {
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setChartBackColor(0x00404000);
        TForm1& form = StartWithVehicle(s, settings);
        QChart* chart = form.MeasurementChart3().Chart();
        QColor during, stripDuring;
        s.messages.whileOpen = [&] {
            during = chart->backgroundBrush().color();
            // The strip under the chart, beside its centred text, as it is printed.
            QImage picture(chart->scene()->sceneRect().size().toSize(), QImage::Format_RGB32);
            QPainter painter(&picture);
            chart->scene()->render(&painter);
            const QRectF strip = form.MeasurementChart3().FootStripRect();
            stripDuring = picture.pixelColor(strip.left() + 2, strip.bottom() - 2);
        };
        s.messages.printerChoices.push_back(false);  // cancelled
        form.Menus().printChartItem->trigger();      // "Печать графика"
        QCOMPARE(form.Column().viewList->currentRow(), 1);
        QCOMPARE(s.messages.printDialogs, 1);
        QCOMPARE(during, QColor(Qt::white));
        QCOMPARE(stripDuring, QColor(Qt::white));
        QCOMPARE(chart->backgroundBrush().color(), ColorFromRef(0x00404000));
    }

    void editItemsOpenTheTemplateAndTheNormsOrNameTheMissingFile() {
        WindowStation s;
        TForm1& form = StartWithVehicle(s);
        QTRY_VERIFY(QFile::exists(s.Path(kNormsFileName)));  // written at the first showing
        form.Menus().editNormsItem->trigger();  // "Редактировать нормы"
        QCOMPARE(s.messages.opened, QStringList{s.Path(kNormsFileName)});
        QVERIFY(QFile::remove(s.Path(kTemplateFileName)));
        form.Menus().editTemplateItem->trigger();  // "Редактировать шаблон"
        QCOMPARE(s.messages.warnings.size(), 1);
        QCOMPARE(s.messages.warnings[0].text,
                 QStringLiteral("Файл не найден :") + s.Path(kTemplateFileName));
        QCOMPARE(s.messages.warnings[0].buttons, Buttons::OkCancel);
    }
};

QTEST_MAIN(WindowFilesTest)
#include "test_window_files.moc"
