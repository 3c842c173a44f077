// The main window offscreen: its widgets and menus, its start and close with the
// settings and station files, its layout, and the search it starts.
#include "app/application_look.h"
#include "app/command_bars.h"
#include "app/main_window.h"
#include "app/right_column.h"
#include "device/view/bar_chart.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/view/recording_group.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "testing/window_station.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <functional>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

const QString kNotFound = QStringLiteral(
    "Устройство не обнаружено! Присоедините кабель,включите устройство и нажмите кнопку "
    "\"Связь\"");

using Station = WindowStation;

template <typename W>
W* Find(TForm1& form, const char* name) {
    W* w = form.findChild<W*>(QString::fromLatin1(name));
    if (!w) qWarning("no widget %s", name);
    return w;
}

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* v = qobject_cast<ValueBox*>(w)) return v->text();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void widgetsCarryTheirNamesTextsAndTips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        const auto row = [](const char* name, const QString& text, const QString& tip = {}) {
            QTest::newRow(name) << QString::fromLatin1(name) << text << tip;
        };
        row("BitBtn1", "Связь", "соединение с прибором");
        row("Label1", "   не подключен");
        row("BitBtn3", "Выход", "закрытие программы");
        row("Label2", "Связь не установлена");
        row("BitBtn4", "СВ.УСК.", "измерение на свободных ускорениях");
        row("BitBtn5", "МАХ.ОБ.", "измерение на максимальных оборотах");
        row("BitBtn2", "УСТ. 0", "установка нуля");
        row("Edit5", "00,0");
        row("Memo7", "Коэфф.осл.\n    К ,  м-1");
        row("Edit8", "00,0");
        row("Memo3", " Дымность\n    N ,   %");
        row("Edit1", "0000");
        row("Memo2", "        F\n  об / мин");
        row("Edit2", "000,0");
        row("Memo4", "  Т масла\n     град.");
        row("Edit3", "00,0");
        row("Memo5", "Т кам");
        row("Edit4", "00,0");
        row("Memo6", "Т о.с.");
        row("Label4", "Нормы:");
        row("Edit6", "");
        row("GroupBox12", " Запись данных в файл ");
        row("Edit14Z", "Kel");
        row("BitBtn14Z", "Открыть");
        row("Label7Z", "0");
        row("CheckBox3Z", "  1 точка");
        row("BitBtn5Z", "Коммент.");
        row("BitBtn1Z", " Начать");
        row("BitBtn2Z", " Пауза");
        row("BitBtn3Z", " Продолж");
        row("BitBtn4Z", " Законч.");
        row("Label3", "ОТЧЕТ");
        row("BitBtn7", "Сохранить");
        row("BitBtn6", "Открыть");
        row("BitBtn8", "Стереть", "все результаты");
        row("BitBtn9", "Печать");
        row("BitBtn10", "Оформить");
        row("BitBtn11", "Нормы");
        row("BitBtn12", "Опции");
        row("ListBox1", "", "вид окна");
    }
    void widgetsCarryTheirNamesTextsAndTips() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        Station s;
        TForm1& form = s.Start();
        auto* w = form.findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(TextOf(w), text);
        QCOMPARE(w->toolTip(), tip);
    }

    void regionsAndChartsExist() {
        Station s;
        TForm1& form = s.Start();
        for (const char* name :
             {"Panel1", "Panel2", "Panel4", "Panel10", "Panel5", "Panel6", "Panel7", "Panel8",
              "Panel9", "Panel11", "Panel12", "Panel3", "Memo1", "Chart3", "Chart4", "Gauge1",
              "ComboBox1Z", "Edit15Z", "SpinEdit10Z"})
            QVERIFY2(form.findChild<QWidget*>(name), name);
        QCOMPARE(form.windowTitle(), QStringLiteral("KELVARON"));
        auto* list = Find<QListWidget>(form, "ListBox1");
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->item(3)->text(), QStringLiteral("Запись"));
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(!Find<QLineEdit>(form, "Edit6")->isReadOnly());  // a norm may be typed in
    }

    void menuBarHasEveryItemWithItsShortcut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QKeySequence>("key");
        const auto row = [](const char* name, const QString& text, QKeySequence key = {}) {
            QTest::newRow(name) << QString::fromLatin1(name) << text << key;
        };
        row("N11", "Открыть график");
        row("N12", "Сохранить график");
        row("N13", "Печать графика");
        row("N15", "Открыть отчет");
        row("N16", "Сохранить отчет");
        row("N17", "Печать отчета", Qt::Key_F10);
        row("N19", "Оформить", Qt::Key_F11);
        row("N33", "Редактировать шаблон");
        row("N35", "Редактировать нормы");
        row("N21", "Выход");
        row("N23", "Таблица", Qt::Key_F2);
        row("N24", "График", Qt::Key_F3);
        row("N25", "Отчет", Qt::Key_F4);
        row("N36", "Запись");
        row("N27", "Опции", Qt::Key_F5);
        row("N8", "Связь", Qt::Key_F12);
        row("N9", "Своб.ускорение", Qt::Key_F6);
        row("N10", "Макс.обороты", Qt::Key_F7);
        row("N28", "Устан.нуля", Qt::Key_F8);
        row("N32", "Стереть результ.");
        row("N31", "Перекл.нормы");
        row("N4", "Помощь", Qt::Key_F1);
        row("N5", "О программе");
        row("N6", "О продукции");
        row("N7", "Лицензия");
    }
    void menuBarHasEveryItemWithItsShortcut() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QKeySequence, key);
        Station s;
        TForm1& form = s.Start();
        auto* item = form.findChild<QAction*>(name);
        QVERIFY2(item, qPrintable(name));
        QCOMPARE(item->text(), text);
        QCOMPARE(item->shortcut(), key);
    }

    void menusStandInOrderWithTheirSeparators() {
        Station s;
        TForm1& form = s.Start();
        QStringList titles;
        for (QAction* menu : form.menuBar()->actions()) titles << menu->text();
        QCOMPARE(titles, (QStringList{"Файл", "Вид", "Действия", "Помощь"}));
        QStringList file;
        for (QAction* item : form.Menus().fileMenu->actions()) file << item->objectName();
        QCOMPARE(file, (QStringList{"N11", "N12", "N13", "N14", "N15", "N16", "N17", "N18", "N19",
                                    "N34", "N33", "N35", "N20", "N21"}));
        QVERIFY(form.findChild<QAction*>("N14")->isSeparator());
    }

    // ---- Start ----

    void firstStartWithNoFilesUsesTheDefaultsAndSearchesAtOnce() {
        Station s;
        TForm1& form = s.Start();
        for (const char* folder : {"Text", "Graph", "Output"})
            QVERIFY(QFileInfo(s.Path(folder)).isDir());
        QVERIFY(form.Settings() == AppSettings::Defaults());
        QCOMPARE(form.geometry().size(), QSize(638, 478));
        QVERIFY(!form.isMaximized());
        QCOMPARE(Find<QComboBox>(form, "ComboBox1Z")->currentText(), QStringLiteral("1"));
        QCOMPARE(form.RecordTimer().interval(), 1);
        s.Show();
        QTRY_COMPARE(s.messages.notices, QStringList{kNotFound});
        QCOMPARE(s.port->Opens().size(), size_t{17});
        QVERIFY(!form.findChild<QWidget*>("Panel12")->isHidden());
    }

    void noSearchAtStartWhenTheSettingsSayNo() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setConnectAtStart(0);
        s.Store(stored);
        TForm1& form = s.Start();
        s.Show();
        // FormShow has run once the settings are applied (the chart has its foot).
        QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());
        QVERIFY(s.port->Opens().empty());
        QVERIFY(s.messages.notices.isEmpty());
    }

    void storedWindowAndRecordingSettingsAreRestored() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setWindowLeft(30);
        stored.setWindowTop(20);
        stored.setWindowWidth(900);
        stored.setWindowHeight(700);
        stored.setRecordInterval(-5);
        stored.setRecordOnePoint(1);
        stored.setConnectAtStart(0);
        s.Store(stored);
        TForm1& form = s.Start();
        QCOMPARE(form.geometry(), QRect(30, 20, 900, 700));
        QCOMPARE(Find<QComboBox>(form, "ComboBox1Z")->currentText(), QStringLiteral("1000"));
        QCOMPARE(form.RecordTimer().interval(), 1000);
        QVERIFY(Find<QCheckBox>(form, "CheckBox3Z")->isChecked());
    }

    void windowWiderThanTheWorkAreaStartsAtTheDefaults() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setWindowWidth(1025);
        stored.setWindowHeight(700);
        stored.setWindowLeft(5);
        stored.setConnectAtStart(0);
        s.Store(stored);
        TForm1& form = s.Start(QSize(1024, 768));
        QCOMPARE(form.geometry(), QRect(0, 0, 638, 478));
    }

    // ---- Close ----

    void closeWritesTheSettingsAndClosesThePort() {
        Station s;
        TForm1& form = s.Start();
        s.port->AddSilentPort(1);
        s.Show();
        QTRY_COMPARE(s.port->OpenPort(), 1);
        form.move(40, 50);
        form.resize(700, 500);
        const QRect outer = form.frameGeometry();
        form.findChild<QPushButton*>("BitBtn3")->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(s.port->OpenPort(), 0);
        QVERIFY(!form.PollTimer().isActive());
        const AppSettings saved = s.SavedSettings();
        QCOMPARE(QFileInfo(s.Path("Kelvaron.dat")).size(), qint64{320});
        QCOMPARE(
            QRect(saved.windowLeft(), saved.windowTop(), saved.windowWidth(), saved.windowHeight()),
            outer);
        QVERIFY(saved.windowWidth() >= 700 && saved.windowHeight() >= 500);
        QCOMPARE(saved.maximized(), 0);
    }

    void readOnlySettingsFileGivesDefaultsAndTheMessageAtCloseYetTheWindowCloses() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setWindowWidth(900);
        stored.setConnectAtStart(0);
        s.Store(stored);
        QFile::setPermissions(s.Path("Kelvaron.dat"), QFile::ReadOwner | QFile::ReadGroup);
        TForm1& form = s.Start();
        QCOMPARE(form.geometry().width(), 638);
        s.Show();
        QVERIFY(form.close());
        // The defaults search at start (nothing found), then the close cannot save.
        QCOMPARE(s.messages.notices.count(QStringLiteral("Диск защищен от записи.")), 1);
        QCOMPARE(s.messages.notices.last(), QStringLiteral("Диск защищен от записи."));
        QVERIFY(!form.isVisible());
        QFile::setPermissions(s.Path("Kelvaron.dat"), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(s.SavedSettings().windowWidth(), 900);
    }

    void windowClosedMaximizedKeepsTheGeometryLoadedAtStart() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setWindowLeft(10);
        stored.setWindowTop(20);
        stored.setWindowWidth(500);
        stored.setWindowHeight(400);
        stored.setConnectAtStart(0);
        s.Store(stored);
        TForm1& form = s.Start();
        s.Show();
        form.showMaximized();
        QTRY_VERIFY(form.isMaximized());
        form.close();
        const AppSettings saved = s.SavedSettings();
        QCOMPARE(saved.maximized(), 1);
        QCOMPARE(
            QRect(saved.windowLeft(), saved.windowTop(), saved.windowWidth(), saved.windowHeight()),
            QRect(10, 20, 500, 400));
    }

    void stationFileIsWrittenAtCloseOnlyWhenTheLinesChanged() {
        Station s;
        QByteArray before(130, '\0');
        before[0] = 2;
        before[1] = 'O';
        before[2] = 'K';
        {
            QFile f(s.Path("Kelvaron.sto"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        TForm1& form = s.Start();
        QCOMPARE(form.Station().line1, QStringLiteral("OK"));
        QCOMPARE(form.Station().line2, QString());
        form.Station().line2 = QStringLiteral("changed but not confirmed");
        form.close();
        QFile f(s.Path("Kelvaron.sto"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);

        Station t;
        TForm1& second = t.Start();
        second.Station().line1 = QStringLiteral("Станция");
        second.Station().changed = true;
        second.close();
        StationInfo read;
        ReadStationFile(t.Path("Kelvaron.sto"), read);
        QCOMPARE(read.line1, QStringLiteral("Станция"));
    }

    // ---- Layout and keys ----

    void resizingLaysOutEveryRegionInAnyView() {
        Station s;
        AppSettings stored = AppSettings::Defaults();
        stored.setConnectAtStart(0);
        s.Store(stored);
        TForm1& form = s.Start();
        s.Show();
        form.resize(819, 658 + form.menuBar()->height());
        QTRY_COMPARE(form.centralWidget()->size(), QSize(819, 658));
        QCOMPARE(form.Bottom().geometry(), QRect(1, 612, 817, 46));
        QCOMPARE(form.Status().geometry().top(), 566);
        QCOMPARE(form.Live().size(), QSize(696, 563));
        QCOMPARE(form.Live().kPanel->geometry(), QRect(1, 1, 515, 140));
        QCOMPARE(form.Live().oilPanel->geometry().top(), 423);
        QVERIFY(form.Live().kValueBox->font().pointSize() <= 73);
        QVERIFY(form.Live().kValueBox->font().pointSize() >= 60);
        QCOMPARE(form.Live().kCaption->height(), form.Live().kValueBox->height());
        QCOMPARE(form.Column().geometry().left(), 698);
        QCOMPARE(form.Column().width(), 114);
        // Hidden regions are laid out too.
        QVERIFY(!form.Report().isVisible());
        QCOMPARE(form.Report().geometry(), form.Live().geometry());
        QCOMPARE(form.Recording().geometry(), QRect(517, 1, 286, 427));
    }

    void fKeysReachTheirCommands() {
        Station s;
        TForm1& form = s.Start();
        s.Show();
        QTRY_COMPARE(s.messages.notices.size(), 1);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Status().modeLine->setText("x");
        QTest::keyClick(&form, Qt::Key_F12);
        QCOMPARE(s.messages.notices.size(), 2);
        QCOMPARE(s.port->Opens().size(), size_t{34});
        QCOMPARE(form.Status().modeLine->text(), QStringLiteral("Связь не установлена"));
        // Without a link the test and zero commands stop at the gate.
        for (Qt::Key key : {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}) QTest::keyClick(&form, key);
        QCOMPARE(s.messages.notices.mid(2), QStringList(3, QStringLiteral("Связь не установлена")));
        QCOMPARE(form.Control().pendingRequest, PendingRequest::None);
        // F11 and F5 open the report header and the options dialog; Escape closes them.
        for (auto [key, title] : {std::pair{Qt::Key_F11, QStringLiteral("Оформление данных")},
                                  std::pair{Qt::Key_F5, QStringLiteral("Опции")}}) {
            QString opened;
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            WhenModal([&](QWidget* dialog) {
                opened = dialog->windowTitle();
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
            QTest::keyClick(&form, key);
            QCOMPARE(opened, title);
        }
        // F1 opens the guide, missing here; F10 asks for a printer (cancelled here).
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F1);
        QCOMPARE(s.messages.warnings.size(), 1);
        QCOMPARE(s.messages.warnings[0].text, QStringLiteral("Файл не найден :") +
                                                  QDir::toNativeSeparators(s.Path("readme.txt")));
        QTest::keyClick(&form, Qt::Key_F10);
        QCOMPARE(s.messages.printDialogs, 1);
        QCOMPARE(s.messages.notices.size(), 5);
        QVERIFY(form.isVisible());
    }

    void lostLinkShowsTheStatusLineInRed() {
        Station s;
        sim::Opacimeter instrument(
            sim::Options{.fault = sim::Fault::Silence, .faultStartUs = 600'000});
        TForm1& form = s.Start();
        s.port->AddInstrument(1, instrument);
        // The instrument's clock follows the real one, which drives the window's timers.
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, [&] { s.clock.nowUs += 5000; });
        clock.start(5);
        s.Show();
        QTRY_VERIFY_WITH_TIMEOUT(form.Control().state == PollState::Polling, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(form.Control().linkLost, 5000);
        QCOMPARE(form.Status().modeLine->text(), QStringLiteral("СВЯЗЬ ПРЕРВАНА."));
        const QImage picture = form.Status().modeLine->grab().toImage();
        int red = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
            }
        QVERIFY2(red > 20, qPrintable(QString("%1 red pixels").arg(red)));
    }

    void viewSwitchShowsAndHidesTheFourRegions() {
        Station s;
        TForm1& form = s.Start();
        s.Show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const auto shown = [&] {
            return QList<bool>{!form.Live().isHidden(), !form.Charts().isHidden(),
                               !form.Report().isHidden(), !form.Recording().isHidden()};
        };
        QCOMPARE(shown(), (QList<bool>{true, false, false, false}));
        QTest::keyClick(&form, Qt::Key_F3);
        QCOMPARE(shown(), (QList<bool>{false, true, false, false}));
        QCOMPARE(form.Column().viewList->currentRow(), 1);
        QTest::keyClick(&form, Qt::Key_F4);
        QCOMPARE(shown(), (QList<bool>{false, false, true, false}));
        form.Menus().recordingItem->trigger();
        QCOMPARE(shown(), (QList<bool>{true, false, false, true}));
        // The recording group covers the column's buttons: Tab passes them by; the
        // name field holds a whole file name.
        RecordingGroup& group = form.Recording();
        QSet<QWidget*> reached;
        group.nameField->setFocus();
        for (int i = 0; i < 30; ++i) {
            reached << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(reached.contains(group.startButton) && reached.contains(form.Column().viewList));
        for (QWidget* w : reached)
            QVERIFY2(w == form.Column().viewList || !form.Column().isAncestorOf(w),
                     qPrintable(w->objectName()));
        QVERIFY(group.nameField->contentsRect().width() >=
                group.nameField->fontMetrics().horizontalAdvance("Kel_12-06_14-05-07.txt"));
        form.Column().viewList->setCurrentRow(1);  // as a click on the list
        QCOMPARE(shown(), (QList<bool>{false, true, false, false}));
        QTest::keyClick(&form, Qt::Key_F2);
        QCOMPARE(shown(), (QList<bool>{true, false, false, false}));
        QCOMPARE(form.Column().saveReportButton->focusPolicy(),
                 Qt::StrongFocus);  // uncovered again
    }

    void chartQuantityGivesBothChartsTheirScaleAndTitle() {
        for (int quantity : {0, 1}) {
            Station s;
            AppSettings stored = AppSettings::Defaults();
            stored.setChartQuantity(quantity);
            stored.setConnectAtStart(0);
            s.Store(stored);
            TForm1& form = s.Start();
            s.Show();
            QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());
            const double maximum = quantity ? 100 : 10;
            QCOMPARE(form.MeasurementChart3().LeftAxis()->max(), maximum);
            QCOMPARE(form.MeasurementChart3().RightAxis()->max(), maximum);
            QCOMPARE(form.MeasurementChart3().FootText(),
                     quantity ? QStringLiteral("    Дымность   ,   %    ")
                              : QStringLiteral("  Коэффициент ослабления  ,  м-1   "));
            QCOMPARE(form.Live().barChart->Title(),
                     quantity ? QStringLiteral("N,%") : QStringLiteral("K,м-1"));
            QCOMPARE(form.Live().barChart->Maximum(), maximum);
        }
    }

    void chartTitleCarriesTheStationAndTheVehicle() {
        Station s;
        TForm1& form = s.Start();
        form.Station().line1 = QStringLiteral("ПТО №1");
        form.Header().vehicleNumber = QStringLiteral(" А123АА ");
        form.Header().make = QStringLiteral("КАМАЗ");
        s.Show();
        QTRY_VERIFY(form.MeasurementChart3().Chart()->title().contains(QStringLiteral("ПТО №1")));
        const QString title = form.MeasurementChart3().Chart()->title();
        QVERIFY2(title.contains(QStringLiteral("№ авт.: А123АА Марка: КАМАЗ Влад.:  Дата: ")),
                 qPrintable(title));
        QCOMPARE(form.Header().vehicleNumber, QStringLiteral("А123АА"));
    }

    void livePanelFollowsTheInstrumentOnlyInViews0And3() {
        Station s;
        sim::Opacimeter instrument;
        TForm1& form = s.Start();
        s.port->AddInstrument(1, instrument);
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, [&] { s.clock.nowUs += 5000; });
        clock.start(5);
        s.Show();
        // The idle smoke of about 1 %, with the locale's separator.
        QTRY_VERIFY_WITH_TIMEOUT(form.Live().nValueBox->text() != QStringLiteral("00,0"), 5000);
        const QString n = form.Live().nValueBox->text();
        QVERIFY2(n.size() == 3 && n[1] == QLatin1Char(',') &&
                     (n.startsWith(QLatin1Char('1')) || n.startsWith(QLatin1Char('0'))),
                 qPrintable(n));
        form.ShowView(View::Chart);
        form.Live().nValueBox->setText(QStringLiteral("kept"));
        // Two whole polling cycles, each with its opacity replies, leave the box alone.
        int ticks = 0;
        QObject::connect(&form.PollTimer(), &QTimer::timeout, [&] { ++ticks; });
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 20, 5000);
        QVERIFY(form.Control().state == PollState::Polling);
        QCOMPARE(form.Live().nValueBox->text(), QStringLiteral("kept"));
        form.ShowView(View::Recording);
        QTRY_VERIFY_WITH_TIMEOUT(form.Live().nValueBox->text() != QStringLiteral("kept"), 2000);
    }

    // Typed into a field whose text reaches a Windows-1251 file, a character the
    // code page lacks ("≤") is refused, the rest taken.
    void fieldsForTheFilesTakeOnlyWhatTheCodePageHolds_data() {
        QTest::addColumn<QString>("field");  // region/field
        QTest::newRow("vehicle number") << "Form2/Edit1";
        QTest::newRow("additional text") << "Form2/Edit7";
        QTest::newRow("station line 1") << "Form2/Edit3";
        QTest::newRow("norm typed in the norms dialog") << "Form3/Edit1";
        QTest::newRow("norms line under the chart") << "Panel12/Edit6";
        QTest::newRow("recording comment") << "GroupBox12/Edit15Z";
        QTest::newRow("unlocked report view") << "client/Memo1";
    }
    void fieldsForTheFilesTakeOnlyWhatTheCodePageHolds() {
        QFETCH(QString, field);
        Station s;
        TForm1& form = s.Start();
        form.Report().Unlock();
        auto* w = form.findChild<QWidget*>(field.section('/', 0, 0))
                      ->findChild<QWidget*>(field.section('/', 1));
        w->setEnabled(true);  // the station lines after "Изменить"
        for (QChar c : QStringLiteral("K ≤ 2,5 м-1 «№»"))
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        const auto* edit = qobject_cast<QLineEdit*>(w);
        QCOMPARE(edit ? edit->text() : form.Report().toPlainText(),
                 QStringLiteral("K  2,5 м-1 «№»"));
    }

    void menuExitPressesTheExitButton() {
        Station s;
        TForm1& form = s.Start();
        s.Show();
        form.Menus().exitItem->trigger();
        QVERIFY(!form.isVisible());
        QVERIFY(QFile::exists(s.Path("Kelvaron.dat")));
    }

    void qtsOwnDialogsSpeakRussianLikeTheProgram() {
        ApplyApplicationLook(*qApp);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("KELVARON"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    }

    void pollTimerIsAPrecise20MsTimer() {
        Station s;
        TForm1& form = s.Start();
        s.port->AddSilentPort(1);
        form.Bottom().connectButton->click();
        QVERIFY(form.PollTimer().isActive());
        QCOMPARE(form.PollTimer().interval(), 20);
        QCOMPARE(form.PollTimer().timerType(), Qt::PreciseTimer);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
