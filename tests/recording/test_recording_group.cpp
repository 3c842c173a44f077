// The recording group on an offscreen screen: its controls, which buttons are
// shown and enabled in each state, the interval field, the fields reaching the
// session, and an opaque background over the live panel.
#include "recording/view/recording_group.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

// A group in a parent window, over a folder of its own.
struct GroupBench {
    GroupBench() : output(dir.filePath("Output")) {
        QDir().mkpath(output);
        parent.resize(600, 500);
        group = new RecordingGroup(settings, output, clock, ui, &parent, QLocale(QLocale::Russian));
        group->setGeometry(10, 10, 420, 360);
        live.k = "0,00";
        live.n = "0,0";
        live.chamber = "0,0";
        live.ambient = "0,0";
        group->Session().SetLiveTexts(live);
    }

    // Shown: true when the button would be on screen with its group.
    static bool Shown(const QWidget* w) { return w->isVisibleTo(w->parentWidget()); }

    QTemporaryDir dir;
    QString output;
    AppSettings settings = AppSettings::Defaults();
    FixedClock clock{QDateTime(QDate(2026, 3, 27), QTime(9, 5, 7))};
    ScriptedInteraction ui;
    LiveTexts live;
    QWidget parent;
    RecordingGroup* group = nullptr;
};

}  // namespace

class RecordingGroupTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAreNamedAndTextedAsTheOperatorKnowsThem() {
        GroupBench bench;
        QWidget& parent = bench.parent;
        auto* group = parent.findChild<QGroupBox*>("GroupBox12");
        QVERIFY(group);
        QCOMPARE(group->title(), " Запись данных в файл ");
        QCOMPARE(parent.findChild<QLineEdit*>("Edit14Z")->text(), "Kel");
        QCOMPARE(parent.findChild<QPushButton*>("BitBtn14Z")->text(), "Открыть");
        QCOMPARE(parent.findChild<QGroupBox*>("GroupBox13")->title(),
                 "          Записано данных       ");
        QCOMPARE(parent.findChild<QLabel*>("Label7Z")->text(), "0");
        QCOMPARE(parent.findChild<QLineEdit*>("Edit15Z")->text(), "");
        QCOMPARE(parent.findChild<QSpinBox*>("SpinEdit10Z")->value(), 1);
        QCOMPARE(parent.findChild<QCheckBox*>("CheckBox3Z")->text(), "  1 точка");
        const QList<std::pair<const char*, QString>> buttons = {{"BitBtn5Z", "Коммент."},
                                                                {"BitBtn1Z", " Начать"},
                                                                {"BitBtn2Z", " Пауза"},
                                                                {"BitBtn3Z", " Продолж"},
                                                                {"BitBtn4Z", " Законч."}};
        for (const auto& [name, text] : buttons)
            QCOMPARE(parent.findChild<QPushButton*>(name)->text(), text);

        auto* interval = parent.findChild<QComboBox*>("ComboBox1Z");
        QVERIFY(interval->isEditable());
        QStringList entries;
        for (int i = 0; i < interval->count(); ++i) entries << interval->itemText(i);
        QCOMPARE(entries, (QStringList{"100", "200", "300", "500", "600", "1000", "2000", "3000",
                                       "5000", "6000", "10000", "30000", "60000", ""}));

        QStringList labels;
        for (const QLabel* label : group->findChildren<QLabel*>()) labels << label->text();
        QVERIFY(labels.contains("Имя:"));
        QVERIFY(labels.contains("Интервал записи, мс"));

        auto* timer = group->findChild<QTimer*>("TimerZap");
        QVERIFY(timer);
        QCOMPARE(timer, &bench.group->TimerZap());
        QVERIFY(!timer->isActive());
    }

    void buttonsFollowTheStateOfTheRecording() {
        GroupBench bench;
        RecordingGroup& g = *bench.group;
        g.intervalCombo->setEditText("60000");  // no tick during the test
        const auto idle = [&] {
            QVERIFY(GroupBench::Shown(g.startButton));
            QVERIFY(!GroupBench::Shown(g.finishButton));
            QVERIFY(GroupBench::Shown(g.pauseButton));
            QVERIFY(!g.pauseButton->isEnabled());
            QVERIFY(!GroupBench::Shown(g.resumeButton));
            QVERIFY(g.nameField->isEnabled());
            QVERIFY(g.openButton->isEnabled());
            QCOMPARE(g.rowCountLabel->text(), "0");
            QVERIFY(!g.TimerZap().isActive());
        };
        const auto running = [&] {
            QVERIFY(!GroupBench::Shown(g.startButton));
            QVERIFY(GroupBench::Shown(g.finishButton));
            QVERIFY(GroupBench::Shown(g.pauseButton));
            QVERIFY(g.pauseButton->isEnabled());
            QVERIFY(!GroupBench::Shown(g.resumeButton));
            QVERIFY(!g.nameField->isEnabled());
            QVERIFY(!g.openButton->isEnabled());
            QVERIFY(g.TimerZap().isActive());
        };
        idle();
        g.startButton->click();
        running();
        QCOMPARE(g.TimerZap().interval(), 60000);

        // Rows coming fast: the count follows within 50 ms, not at every row.
        int shown = 0;
        QString last = g.rowCountLabel->text();
        for (int i = 0; i < 200; ++i) {
            g.Session().WriteRow();
            if (g.rowCountLabel->text() != last) {
                last = g.rowCountLabel->text();
                ++shown;
            }
        }
        QVERIFY2(shown < 20, qPrintable(QString::number(shown)));
        QTRY_COMPARE(g.rowCountLabel->text(), "200");

        g.pauseButton->click();
        QVERIFY(!GroupBench::Shown(g.pauseButton));
        QVERIFY(GroupBench::Shown(g.resumeButton));
        QVERIFY(g.resumeButton->isEnabled());
        QVERIFY(GroupBench::Shown(g.finishButton));
        QVERIFY(!g.nameField->isEnabled());
        QVERIFY(!g.TimerZap().isActive());
        QCOMPARE(g.commentField->text(), "пауза");
        QCOMPARE(g.rowCountLabel->text(), "200");  // a pause shows the count at once

        g.resumeButton->click();
        running();
        g.finishButton->click();
        idle();
    }

    void intervalFieldTakesEveryChangeOfItsText() {
        GroupBench bench;
        RecordingGroup& g = *bench.group;
        g.intervalCombo->setCurrentIndex(3);  // "500" from the list
        QCOMPARE(bench.settings.recordInterval(), 500);
        QCOMPARE(g.TimerZap().interval(), 500);
        QVERIFY(bench.ui.notices.isEmpty());

        g.intervalCombo->setCurrentIndex(13);  // the empty entry
        QCOMPARE(bench.ui.notices, QStringList{"Ошибочный ввод !"});
        QCOMPARE(g.intervalCombo->currentText(), "1000");
        QCOMPARE(bench.settings.recordInterval(), 1000);
        QCOMPARE(g.TimerZap().interval(), 1000);

        // Typed: every key is a change; a letter is one message.
        g.intervalCombo->lineEdit()->clear();
        QCOMPARE(bench.ui.notices.size(), 2);
        QCOMPARE(g.intervalCombo->currentText(), "1000");
        // What is typed is the interval: "1" is not completed to the entry "100".
        bench.parent.show();
        QVERIFY(QTest::qWaitForWindowActive(&bench.parent));
        g.intervalCombo->setFocus();
        g.intervalCombo->lineEdit()->selectAll();
        QTest::keyClicks(g.intervalCombo->lineEdit(), "1");
        QCOMPARE(g.intervalCombo->currentText(), "1");
        QCOMPARE(bench.settings.recordInterval(), 1);
        QCOMPARE(g.TimerZap().interval(), 1);
        g.intervalCombo->lineEdit()->selectAll();
        QTest::keyClicks(g.intervalCombo->lineEdit(), "250");
        QCOMPARE(g.intervalCombo->currentText(), "250");
        QCOMPARE(bench.settings.recordInterval(), 250);
        QCOMPARE(g.TimerZap().interval(), 250);
        QTest::keyClicks(g.intervalCombo->lineEdit(), "x");
        QCOMPARE(bench.ui.notices.size(), 3);
        QCOMPARE(g.intervalCombo->currentText(), "1000");
        QCOMPARE(g.intervalCombo->count(), 14);  // typed texts do not join the list
    }

    void startUpShowsTheStoredIntervalAndOnePointFlag_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("onePoint");
        QTest::newRow("default") << 1 << "1" << 0;
        QTest::newRow("negative, one point") << -5 << "1000" << 1;
        QTest::newRow("zero") << 0 << "1000" << 0;
    }
    void startUpShowsTheStoredIntervalAndOnePointFlag() {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, onePoint);
        GroupBench bench;
        bench.settings.setRecordInterval(stored);
        bench.settings.setRecordOnePoint(onePoint);
        bench.group->LoadSettings();
        QCOMPARE(bench.group->intervalCombo->currentText(), shown);
        QCOMPARE(bench.group->TimerZap().interval(), shown.toInt());
        QCOMPARE(bench.group->onePointCheck->isChecked(), onePoint == 1);
        QVERIFY(bench.ui.notices.isEmpty());
    }

    void fieldsReachTheSession() {
        GroupBench bench;
        RecordingGroup& g = *bench.group;
        g.onePointCheck->setChecked(true);
        QCOMPARE(bench.settings.recordOnePoint(), 1);
        g.onePointCheck->setChecked(false);
        QCOMPARE(bench.settings.recordOnePoint(), 0);

        g.nameField->setText("  Bus ");
        g.commentField->setText("  ");
        g.commentNumberSpin->setValue(5);
        g.intervalCombo->setEditText("60000");
        g.commentButton->click();
        g.startButton->click();
        QCOMPARE(g.Session().FilePath(), bench.output + "/Bus_03-27_09-05-07.txt");
        g.Session().WriteRow();
        g.finishButton->click();
        QFile file(g.Session().FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith("\t5\t\r\n"));
    }

    void openPutsTheContinuedFilesPathIntoTheNameField() {
        GroupBench bench;
        RecordingGroup& g = *bench.group;
        const QString path = bench.output + "/old.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        bench.ui.openChoices = {FileChoice{path, 1}};
        g.intervalCombo->setEditText("60000");
        g.openButton->click();
        QCOMPARE(g.nameField->text(), QDir::toNativeSeparators(path));
        QVERIFY(!g.nameField->isEnabled());
        QVERIFY(GroupBench::Shown(g.finishButton));
        g.finishButton->click();
        QCOMPARE(g.nameField->text(), QDir::toNativeSeparators(path));
        QVERIFY(g.nameField->isEnabled());
    }

    void askStopRecordingCancelKeepsTheGroupRunning() {
        GroupBench bench;
        RecordingGroup& g = *bench.group;
        QVERIFY(g.AskStopRecording());
        g.intervalCombo->setEditText("60000");
        g.startButton->click();
        bench.ui.answers = {Answer::Cancel, Answer::Ok};
        QVERIFY(!g.AskStopRecording());
        QVERIFY(GroupBench::Shown(g.finishButton));
        QVERIFY(g.AskStopRecording());
        QVERIFY(GroupBench::Shown(g.startButton));
        QVERIFY(!g.TimerZap().isActive());
    }

    void groupPaintsOverTheLivePanelBeneath() {
        GroupBench bench;
        // The live panel beneath, red, and the group laid over it.
        QWidget panel(&bench.parent);
        QPalette red = panel.palette();
        red.setColor(QPalette::Window, Qt::red);
        panel.setPalette(red);
        panel.setAutoFillBackground(true);
        panel.setGeometry(0, 0, 500, 450);
        bench.group->raise();
        const QImage image = bench.parent.grab().toImage();
        QCOMPARE(image.pixelColor(490, 440), QColor(Qt::red));
        const QRect g = bench.group->geometry();
        int redPixels = 0;
        for (int y = g.top(); y <= g.bottom(); ++y)
            for (int x = g.left(); x <= g.right(); ++x)
                redPixels += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
        QCOMPARE(redPixels, 0);
    }

    void fontSizeReachesTheControls() {
        GroupBench bench;
        bench.group->ApplyFontSize(14);
        QCOMPARE(bench.group->startButton->font().pointSize(), 14);
        QCOMPARE(bench.group->intervalCombo->font().pointSize(), 14);
    }
};

QTEST_MAIN(RecordingGroupTest)
#include "test_recording_group.moc"
