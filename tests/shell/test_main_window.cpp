// The main window offscreen: its widgets, and the search it starts.
#include "../support/fake_port.h"
#include "../support/message_recorder.h"
#include "shell/main_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

const QString kNotFound = QStringLiteral(
    "Устройство не обнаружено! Присоедините кабель,включите устройство и нажмите кнопку "
    "\"Связь\"");

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void widgetsCarryTheirNamesAndTexts() {
        FakeClock clock;
        MessageRecorder messages;
        TForm1 form({.serial = std::make_unique<FakePort>(clock), .messages = &messages});
        QCOMPARE(form.windowTitle(), QStringLiteral("KELVARON"));
        auto* connect = form.findChild<QPushButton*>("BitBtn1");
        QVERIFY(connect);
        QCOMPARE(connect->text(), QStringLiteral("Связь"));
        QCOMPARE(connect->toolTip(), QStringLiteral("соединение с прибором"));
        QCOMPARE(form.findChild<QPushButton*>("BitBtn3")->text(), QStringLiteral("Выход"));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("   не подключен"));
        QCOMPARE(form.findChild<QLabel*>("Label2")->text(), QStringLiteral("Связь не установлена"));
        QVERIFY(form.findChild<QProgressBar*>("Gauge1"));
        QVERIFY(form.findChild<QWidget*>("Panel1"));
        QVERIFY(form.findChild<QWidget*>("Panel2"));
        auto* item = form.findChild<QAction*>("N8");
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Связь"));
        QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F12));
    }

    void searchStartsWhenTheWindowIsFirstShownAndF12SearchesAgain() {
        FakeClock clock;
        MessageRecorder messages;
        auto port = std::make_unique<FakePort>(clock);
        FakePort* ports = port.get();
        TForm1 form({.serial = std::move(port), .messages = &messages});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(messages.notices, QStringList{kNotFound});
        QCOMPARE(ports->Opens().size(), size_t{17});
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("Не подключен"));

        form.findChild<QLabel*>("Label2")->setText("x");
        QTest::keyClick(&form, Qt::Key_F12);
        QCOMPARE(messages.notices.size(), 2);
        QCOMPARE(ports->Opens().size(), size_t{34});
        QCOMPARE(form.findChild<QLabel*>("Label2")->text(), QStringLiteral("Связь не установлена"));
    }

    void pollTimerIsAPrecise20MsTimer() {
        FakeClock clock;
        MessageRecorder messages;
        auto port = std::make_unique<FakePort>(clock);
        port->AddSilentPort(1);
        TForm1 form({.serial = std::move(port), .messages = &messages});
        form.findChild<QPushButton*>("BitBtn1")->click();
        QVERIFY(form.PollTimer().isActive());
        QCOMPARE(form.PollTimer().interval(), 20);
        QCOMPARE(form.PollTimer().timerType(), Qt::PreciseTimer);
    }

    void exitClosesTheWindowAndThePort() {
        FakeClock clock;
        MessageRecorder messages;
        auto port = std::make_unique<FakePort>(clock);
        port->AddSilentPort(1);
        FakePort* ports = port.get();
        TForm1 form({.serial = std::move(port), .messages = &messages});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(ports->OpenPort(), 1);
        form.findChild<QPushButton*>("BitBtn3")->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(ports->OpenPort(), 0);
        QVERIFY(!form.PollTimer().isActive());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
