// The recording in the main window: the stop question from every view switch that
// leaves "Запись" and from both test starts, answered both ways; the rows carry
// what the live values show; closing the program finishes the file.
#include "app/command_bars.h"
#include "app/right_column.h"
#include "base/text_codec.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/recording_session.h"
#include "recording/view/recording_group.h"
#include "testing/file_bytes.h"
#include "testing/window_station.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

using namespace kelvaron;
using namespace kelvaron::testing;

// How the operator picks a view: the menu (or its key), a click on its entry in
// the view list, or the arrow keys in the list.
enum class Chooser { Menu, Click, ArrowKey };
Q_DECLARE_METATYPE(Chooser)

namespace {

const QString kStopQuestion = QStringLiteral("Идет запись данных в файл. Остановить?");

void Choose(TForm1& form, int view, Chooser chooser) {
    ViewList& list = *form.Column().viewList;
    if (chooser == Chooser::Menu) return form.ShowView(static_cast<View>(view));
    if (chooser == Chooser::Click)
        return QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                                 list.visualItemRect(list.item(view)).center());
    list.setFocus();
    for (int row = list.currentRow(); row > view; --row) QTest::keyClick(&list, Qt::Key_Up);
}

// A window showing "Запись" with a recording running every 100 ms.
TForm1& StartRecording(WindowStation& s) {
    TForm1& form = s.StartShownRecordingEvery(100);
    WindowStation::BeginRecording(form);
    return form;
}

}  // namespace

class WindowRecordingTest : public QObject {
    Q_OBJECT

private slots:
    void leavingTheRecordingViewAsksAndCancelKeepsItRunning_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<Chooser>("chooser");
        QTest::newRow("Таблица") << 0 << Chooser::Menu;
        QTest::newRow("График") << 1 << Chooser::Menu;
        QTest::newRow("Отчет") << 2 << Chooser::Menu;
        QTest::newRow("График, a click in the list") << 1 << Chooser::Click;
        QTest::newRow("Отчет, the arrow key in the list") << 2 << Chooser::ArrowKey;
    }
    void leavingTheRecordingViewAsksAndCancelKeepsItRunning() {
        QFETCH(int, view);
        QFETCH(Chooser, chooser);
        WindowStation s;
        TForm1& form = StartRecording(s);
        QVERIFY(form.Recording().Session().IsActive());
        QCOMPARE(form.RecordTimer().interval(), 100);
        s.messages.answers.push_back(Answer::Cancel);
        Choose(form, view, chooser);
        QCOMPARE(s.messages.warnings.size(), 1);
        QCOMPARE(s.messages.warnings[0].text, kStopQuestion);
        QCOMPARE(s.messages.warnings[0].buttons, Buttons::OkCancel);
        QVERIFY(form.Recording().Session().IsActive());
        ViewList& list = *form.Column().viewList;
        QCOMPARE(list.currentRow(), 3);
        QCOMPARE(list.selectedItems(), QList<QListWidgetItem*>{list.item(3)});  // highlighted
        QVERIFY(form.Recording().isVisible());
        // OK finishes the recording and shows the view.
        s.messages.answers.push_back(Answer::Ok);
        Choose(form, view, chooser);
        QVERIFY(!form.Recording().Session().IsActive());
        QCOMPARE(list.currentRow(), view);
        QCOMPARE(list.selectedItems(), QList<QListWidgetItem*>{list.item(view)});
        QVERIFY(!form.Recording().isVisible());
        // "Запись" itself never asks.
        form.ShowView(View::Recording);
        QCOMPARE(s.messages.warnings.size(), 2);
    }

    void testStartsAskFirstAndStartOnlyWhenTheRecordingStops_data() {
        QTest::addColumn<int>("pending");
        QTest::addColumn<bool>("byInstrument");
        QTest::newRow("СВ.УСК.") << 2 << false;
        QTest::newRow("МАХ.ОБ.") << 3 << false;
        QTest::newRow("the instrument's own free acceleration") << 2 << true;
    }
    void testStartsAskFirstAndStartOnlyWhenTheRecordingStops() {
        QFETCH(int, pending);
        QFETCH(bool, byInstrument);
        WindowStation s;
        TForm1& form = StartRecording(s);
        sim::Opacimeter instrument;
        QVERIFY(s.Connect(instrument));
        QVERIFY(s.TickUntil([&] { return form.Readings().deviceState == 1; }, 50));
        QPushButton* start =
            pending == 2 ? form.Status().freeAccelerationButton : form.Status().maxSpeedButton;
        s.messages.answers.push_back(Answer::Cancel);
        if (byInstrument) {
            // Asked once; the answer holds until the loop has followed the start.
            instrument.StartOwnTest(sim::TestKind::FreeAccel, s.clock.nowUs);
            QVERIFY(
                s.TickUntil([&] { return form.Control().state == PollState::FreeAccelTest; }, 50));
        } else {
            start->click();
            QCOMPARE(form.Control().pendingRequest, PendingRequest::None);  // no test
        }
        QCOMPARE(s.messages.warnings.size(), 1);
        QVERIFY(form.Recording().Session().IsActive());
        QCOMPARE(form.Column().viewList->currentRow(), 3);
        if (byInstrument) return;
        s.messages.answers.push_back(Answer::Ok);
        start->click();
        QVERIFY(!form.Recording().Session().IsActive());
        QCOMPARE(form.Control().pendingRequest, static_cast<PendingRequest>(pending));
        QCOMPARE(form.Column().viewList->currentRow(), 1);
    }

    void rowsCarryTheLiveTextsAndCloseFinishesTheFile() {
        WindowStation s;
        TForm1& form = StartRecording(s);
        const QString path = form.Recording().Session().FilePath();
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).absolutePath(),
                 QDir(s.Path("Output")).absolutePath());
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Kel_12-06_14-05-07.txt"));
        // The instrument's smoke of 45,3 % (K 1,40) shown in the live values.
        sim::Opacimeter instrument(sim::Options{.idleOpacityX10 = 453});
        QVERIFY(s.Connect(instrument));
        QVERIFY(s.TickUntil([&] { return form.Readings().opacityX10 != 0; }, 50));
        s.TickUntil([] { return false; }, 10);  // refreshed at the cycle's next phases
        const QString k = form.Live().kValueBox->text(), n = form.Live().nValueBox->text();
        QVERIFY(n.startsWith(QStringLiteral("45,")) || n.startsWith(QStringLiteral("44,")));
        form.Recording().Session().WriteRow();  // one tick of the recording timer
        QCOMPARE(form.Recording().Session().RowsWritten(), 1);
        form.close();  // no question; the file is closed with its rows
        QVERIFY(s.messages.warnings.isEmpty());
        QVERIFY(!form.Recording().Session().IsActive());
        const QByteArray bytes = FileBytes(path);
        const QByteArray header = EncodeCp1251(
            QStringLiteral("K(m-1)\tN(%)\tTkam\tTos\tВремя\tКоммент.\tИнтервал=100мс.\t\r\n"));
        QVERIFY2(bytes.startsWith(header), bytes.constData());
        QCOMPARE(bytes.mid(header.size()),
                 EncodeCp1251(k + "\t" + n + "\t0,0\t0,0\t14:05:07\t\r\n"));
    }
};

QTEST_MAIN(WindowRecordingTest)
#include "test_window_recording.moc"
