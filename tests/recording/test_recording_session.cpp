// The recording session without widgets, tick by tick: file names, the header
// and the rows byte for byte, comments, pauses, the one-point mode, the overwrite
// question, continuing a file, the interval field and the stop question.
#include "base/locale_formats.h"
#include "base/text_codec.h"
#include "recording/recording_file.h"
#include "recording_bench.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace kelvaron;
using namespace kelvaron::testing;

Q_DECLARE_METATYPE(kelvaron::Answer)

namespace {

// Windows-1251 bytes of the header's and the rows' Cyrillic words.
const QByteArray kVremya = QByteArray::fromHex("c2f0e5ecff");            // Время
const QByteArray kKomment = QByteArray::fromHex("caeeecece5edf22e");     // Коммент.
const QByteArray kInterval = QByteArray::fromHex("c8edf2e5f0e2e0eb3d");  // Интервал=
const QByteArray kMs = QByteArray::fromHex("ecf12e");                    // мс.
const QByteArray kPauza = QByteArray::fromHex("efe0f3e7e0");             // пауза
const QByteArray kProba = QByteArray::fromHex("cff0eee1e0");             // Проба

QByteArray Header(const QByteArray& interval) {
    return "K(m-1)\tN(%)\tTkam\tTos\t" + kVremya + "\t" + kKomment + "\t" + kInterval + interval +
           kMs + "\t\r\n";
}

// A row of the bench's live texts written at 9:05:<second>.
QByteArray Row(int second, const QByteArray& comment = {}) {
    QByteArray row =
        "1,40\t45,3\t0,0\t0,0\t9:05:" + QByteArray::number(second).rightJustified(2, '0') + "\t";
    if (!comment.isEmpty()) row += comment + "\t";
    return row + "\r\n";
}

}  // namespace

class RecordingSessionTest : public QObject {
    Q_OBJECT

private slots:
    void fileNamesFollowTheNameFieldAndTheClock_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("name");
        const QDateTime morning(QDate(2026, 3, 27), QTime(9, 5, 7));
        QTest::newRow("initial prefix") << "Kel" << morning << "Kel_03-27_09-05-07.txt";
        QTest::newRow("blanks around") << "  Bus 7 " << morning << "Bus 7_03-27_09-05-07.txt";
        QTest::newRow("spaces only") << "   " << morning << "03-27_09-05-07.txt";
        QTest::newRow("empty") << "" << morning << "03-27_09-05-07.txt";
        QTest::newRow("late evening") << "Kel" << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                      << "Kel_12-31_23-59-59.txt";
        QTest::newRow("continued file, Windows path")
            << "C:\\Kelvaron\\Output\\Kel_01-02_03-04-05.txt" << morning
            << "Kel_01-02_03-04-05_03-27_09-05-07.txt";
        QTest::newRow("continued file, two dots")
            << "/srv/kelvaron/Output/run.v2.txt" << morning << "run.v2_03-27_09-05-07.txt";
        QTest::newRow("a typed path does not leave the folder")
            << "../../etc/x" << morning << "x_03-27_09-05-07.txt";
    }
    void fileNamesFollowTheNameFieldAndTheClock() {
        QFETCH(QString, field);
        QFETCH(QDateTime, now);
        QFETCH(QString, name);
        QCOMPARE(RecordingFileName("/base/Output", field, now), "/base/Output/" + name);
    }

    void startWritesTheHeaderByteForByteAndTheFirstRowWaitsOneInterval() {
        RecordingBench bench;
        bench.session.LoadSettings();  // the default interval: 1 ms
        bench.session.Start();
        QCOMPARE(bench.session.FilePath(), bench.output + "/Kel_03-27_09-05-07.txt");
        QCOMPARE(bench.FileBytes(), Header("1"));
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.timer.active);
        QCOMPARE(bench.timer.interval, 1);
        QCOMPARE(bench.session.RowsWritten(), 0);
        QVERIFY(bench.ui.shown.isEmpty());
    }

    void spacesOnlyPrefixStartsTheFileWithTheDate() {
        RecordingBench bench;
        bench.session.SetName("    ");
        bench.session.Start();
        QVERIFY(QFileInfo::exists(bench.output + "/03-27_09-05-07.txt"));
    }

    void rowsCarryTheLivePanelTextsUnchanged() {
        RecordingBench bench;
        int reported = 0;
        QObject::connect(&bench.session, &RecordingSession::rowWritten,
                         [&](int rows) { reported = rows; });
        bench.session.Start();
        QCOMPARE(bench.Ticks(1), 1);
        // The panel shows another reading, K above 9.9 among them.
        bench.live.k = "   >>   ";
        bench.live.n = "99,0";
        bench.live.chamber = "12,5";
        bench.live.ambient = "-3,0";
        bench.session.SetLiveTexts(bench.live);
        QCOMPARE(bench.Ticks(1), 1);
        QCOMPARE(bench.FileBytes(),
                 Header("1") + Row(8) + "   >>   \t99,0\t12,5\t-3,0\t9:05:09\t\r\n");
        QCOMPARE(bench.session.RowsWritten(), 2);
        QCOMPARE(reported, 2);
    }

    void rowsTakeTheLongTimeOfTheLocale() {
        RecordingBench bench;
        RecordingSession english(bench.settings, bench.output, bench.clock, bench.ui, bench.timer,
                                 QLocale(QLocale::English));
        english.SetLiveTexts(bench.live);
        english.SetName("en");
        english.Start();
        bench.clock.now = QDateTime(QDate(2026, 3, 27), QTime(14, 5, 8));
        english.WriteRow();
        const QByteArray row = ReadBytes(english.FilePath()).mid(Header("1").size());
        QCOMPARE(row, "1,40\t45,3\t0,0\t0,0\t" +
                          EncodeCp1251(LongTime(QTime(14, 5, 8), QLocale(QLocale::English))) +
                          "\t\r\n");
        QVERIFY(!row.contains("\t14:05:08\t"));
    }

    void commentGoesOnExactlyOneRow_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("comment");
        QTest::newRow("blank text gives the number") << "   " << 5 << QByteArray("5");
        QTest::newRow("empty text gives the number") << "" << 0 << QByteArray("0");
        QTest::newRow("text without its blanks") << "  Проба " << 5 << kProba;
    }
    void commentGoesOnExactlyOneRow() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(QByteArray, comment);
        RecordingBench bench;
        bench.session.Start();
        bench.session.SetComment(text);
        bench.session.SetCommentNumber(number);
        bench.session.MarkComment();
        QCOMPARE(bench.Ticks(2), 2);
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8, comment) + Row(9));
        QVERIFY(!bench.session.CommentPending());
    }

    void commentMarkedWhileIdleGoesOnTheFirstRowOfTheNextRecording() {
        RecordingBench bench;
        bench.session.SetCommentNumber(7);
        bench.session.MarkComment();
        bench.session.Start();
        QCOMPARE(bench.FileBytes(), Header("1"));  // not on the header
        bench.Ticks(2);
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8, "7") + Row(9));
    }

    void pauseWritesAnEmptyLineAndTheNextRowCarriesPauza() {
        RecordingBench bench;
        bench.session.Start();
        bench.Ticks(1);
        bench.session.Pause();
        QCOMPARE(bench.session.State(), RecordingState::Paused);
        QVERIFY(!bench.timer.active);
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8) + "\r\n");
        // A tick already on its way when the pause came writes nothing.
        bench.session.WriteRow();
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8) + "\r\n");

        bench.session.Resume();
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.timer.active);
        bench.Ticks(2);
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8) + "\r\n" + Row(9, kPauza) + Row(10));
        QCOMPARE(bench.session.Comment(), "пауза");  // the field keeps the text
        QCOMPARE(bench.session.RowsWritten(), 3);
    }

    void onePointModeWritesOneRowPerContinuationAfterAnEmptyLine() {
        RecordingBench bench;
        bench.session.SetOnePoint(true);
        QCOMPARE(bench.settings.recordOnePoint(), 1);
        bench.session.SetIntervalText("2000");
        bench.session.Start();
        QCOMPARE(bench.timer.interval, 100);
        QCOMPARE(bench.Ticks(3), 1);  // the tick pauses: the next two find the timer off
        QCOMPARE(bench.session.State(), RecordingState::Paused);
        bench.session.Resume();
        QCOMPARE(bench.Ticks(3), 1);
        // The header names the interval the timer runs at.
        QCOMPARE(bench.FileBytes(), Header("100") + "\r\n" + Row(8) + "\r\n" + Row(9));
        QCOMPARE(bench.session.Comment(), QString());  // no "пауза" in this mode
        QCOMPARE(bench.session.RowsWritten(), 2);
        bench.session.Finish();
        QCOMPARE(bench.timer.interval, 2000);  // back to the interval of the settings
    }

    void onePointBoxTakesEffectForTheNextTickAtOnce() {
        RecordingBench bench;
        bench.session.SetIntervalText("500");
        bench.session.Start();
        bench.Ticks(1);
        bench.session.SetOnePoint(true);
        bench.Ticks(1);
        QCOMPARE(bench.session.State(), RecordingState::Paused);
        QCOMPARE(bench.timer.interval, 500);  // the interval changes at the next start
        QCOMPARE(bench.FileBytes(), Header("500") + Row(8) + "\r\n" + Row(9));
    }

    void overwriteRefusedLeavesTheGroupIdleAndTheOldFile_data() {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("No") << Answer::No;
        QTest::newRow("Cancel") << Answer::Cancel;
    }
    void overwriteRefusedLeavesTheGroupIdleAndTheOldFile() {
        QFETCH(Answer, answer);
        RecordingBench bench;
        const QString path = bench.output + "/Kel_03-27_09-05-07.txt";
        QVERIFY(WriteBytes(path, "old rows\r\n"));
        int changes = 0;
        QObject::connect(&bench.session, &RecordingSession::changed, [&] { ++changes; });
        bench.ui.answers = {answer};
        bench.session.Start();
        QCOMPARE(bench.ui.warnings.size(), 1);
        QCOMPARE(bench.ui.warnings[0].text, "Файл с именем   " + QDir::toNativeSeparators(path) +
                                                "   уже существует ! Переопределить ?");
        QCOMPARE(bench.ui.warnings[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(bench.ui.notices, QStringList{"Данные не сохранены !"});
        QCOMPARE(bench.session.State(), RecordingState::Idle);
        QVERIFY(!bench.timer.active);
        QCOMPARE(ReadBytes(path), QByteArray("old rows\r\n"));
        QVERIFY(changes >= 2);  // shown running during the question, then idle
    }

    void overwriteConfirmedReplacesTheOldFile() {
        RecordingBench bench;
        const QString path = bench.output + "/Kel_03-27_09-05-07.txt";
        QVERIFY(WriteBytes(path, "old rows\r\n"));
        bench.ui.answers = {Answer::Yes};
        bench.session.Start();
        QCOMPARE(ReadBytes(path), Header("1"));
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.ui.notices.isEmpty());
        QVERIFY(!QFileInfo::exists(path + ".tmp"));
    }

    void continuationAppendsAnEmptyLineAndNoHeader() {
        RecordingBench bench;
        const QString path = bench.output + "/Kel_01-02_03-04-05.txt";
        QVERIFY(WriteBytes(path, Header("1000") + "old\r\n"));
        bench.ui.openChoices = {FileChoice{path, 1}};
        bench.session.ContinueFile();
        QCOMPARE(bench.ui.openDialogs.size(), 1);
        QCOMPARE(bench.ui.openDialogs[0].types, QStringList{"текстовые файлы (*.txt)"});
        QCOMPARE(bench.ui.openDialogs[0].folder, bench.output);
        QCOMPARE(bench.session.Name(), QDir::toNativeSeparators(path));
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.timer.active);
        bench.Ticks(1);
        QCOMPARE(ReadBytes(path), Header("1000") + "old\r\n" + "\r\n" + Row(8));
        QCOMPARE(bench.session.RowsWritten(), 1);

        // Finished, the field still holds the path; a new start takes its file name
        // as the prefix and writes into the output folder.
        bench.session.Finish();
        QCOMPARE(bench.session.Name(), QDir::toNativeSeparators(path));
        bench.session.Start();
        QCOMPARE(bench.session.FilePath(), bench.output + "/Kel_01-02_03-04-05_03-27_09-05-08.txt");
        QCOMPARE(bench.FileBytes(), Header("1"));
    }

    void continuationCancelledChangesNothing() {
        RecordingBench bench;
        int changes = 0;
        QObject::connect(&bench.session, &RecordingSession::changed, [&] { ++changes; });
        bench.session.ContinueFile();  // the dialog is cancelled
        QCOMPARE(bench.ui.openDialogs.size(), 1);
        QCOMPARE(bench.session.State(), RecordingState::Idle);
        QCOMPARE(bench.session.Name(), "Kel");
        QVERIFY(!bench.timer.active);
        QCOMPARE(changes, 0);
        QCOMPARE(QDir(bench.output).entryList(QDir::Files), QStringList());
    }

    void continuationInOnePointModeTakesTheShortInterval() {
        RecordingBench bench;
        const QString path = bench.output + "/a.txt";
        QVERIFY(WriteBytes(path, "x\r\n"));
        bench.session.SetOnePoint(true);
        bench.ui.openChoices = {FileChoice{path, 1}};
        bench.session.ContinueFile();
        QCOMPARE(bench.timer.interval, 100);
        bench.Ticks(1);
        QCOMPARE(ReadBytes(path), QByteArray("x\r\n\r\n\r\n") + Row(8));
    }

    void intervalTextThatIsNoIntegerGivesAMessageAnd1000_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "abc";
        QTest::newRow("the empty entry") << "";
        QTest::newRow("decimal") << "2,5";
        QTest::newRow("beyond 32 bits") << "2147483648";
    }
    void intervalTextThatIsNoIntegerGivesAMessageAnd1000() {
        QFETCH(QString, text);
        RecordingBench bench;
        bench.session.LoadSettings();
        bench.session.Start();
        bench.session.SetIntervalText(text);
        QCOMPARE(bench.ui.notices, QStringList{"Ошибочный ввод !"});
        QCOMPARE(bench.settings.recordInterval(), 1000);
        QCOMPARE(bench.timer.interval, 1000);
        QCOMPARE(bench.session.IntervalText(), "1000");
        QVERIFY(bench.timer.active);  // the recording goes on
    }

    void intervalTextThatIsAnIntegerTakesEffectAtOnce() {
        RecordingBench bench;
        bench.session.SetOnePoint(true);
        bench.session.Start();
        QCOMPARE(bench.timer.interval, 100);
        bench.session.SetIntervalText("500");
        // Also during a recording and in the one-point mode.
        QCOMPARE(bench.settings.recordInterval(), 500);
        QCOMPARE(bench.timer.interval, 500);
        QCOMPARE(bench.session.IntervalText(), "500");
        QVERIFY(bench.ui.notices.isEmpty());
    }

    void intervalBelowOneHoldsTheTimerInsteadOfRacing() {
        RecordingBench bench;
        bench.session.Start();
        bench.Ticks(1);
        bench.session.SetIntervalText("0");
        QCOMPARE(bench.settings.recordInterval(), 0);  // kept as typed
        QVERIFY(!bench.timer.active);
        QCOMPARE(bench.Ticks(5), 0);
        bench.session.SetIntervalText("-5");
        QVERIFY(!bench.timer.active);
        bench.session.SetIntervalText("250");
        QVERIFY(bench.timer.active);
        QCOMPARE(bench.timer.interval, 250);
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.ui.notices.isEmpty());
    }

    void startWithAnIntervalBelowOneRecordsAt1000AndItsHeaderSaysSo() {
        RecordingBench bench;
        bench.session.SetIntervalText("0");
        bench.session.Start();
        QCOMPARE(bench.FileBytes(), Header("1000"));
        QCOMPARE(bench.settings.recordInterval(), 1000);
        QCOMPARE(bench.session.IntervalText(), "1000");
        QCOMPARE(bench.timer.interval, 1000);
        QVERIFY(bench.timer.active);
    }

    void loadSettingsMendsTheIntervalAndReadsTheOnePointFlag_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("onePoint");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("default") << 1 << 1 << 0 << false;
        QTest::newRow("zero") << 0 << 1000 << 1 << true;
        QTest::newRow("negative") << -5 << 1000 << 0 << false;
        QTest::newRow("stored 250") << 250 << 250 << 2 << false;  // only 1 counts as set
    }
    void loadSettingsMendsTheIntervalAndReadsTheOnePointFlag() {
        QFETCH(int, stored);
        QFETCH(int, interval);
        QFETCH(int, onePoint);
        QFETCH(bool, ticked);
        RecordingBench bench;
        bench.settings.setRecordInterval(stored);
        bench.settings.setRecordOnePoint(onePoint);
        bench.session.LoadSettings();
        QCOMPARE(bench.settings.recordInterval(), interval);
        QCOMPARE(bench.session.IntervalText(), QString::number(interval));
        QCOMPARE(bench.timer.interval, interval);
        QVERIFY(!bench.timer.active);
        QCOMPARE(bench.session.OnePoint(), ticked);
    }

    void stopQuestionIsNotAskedWithoutARecording() {
        RecordingBench bench;
        QVERIFY(bench.session.AskStopRecording());
        QVERIFY(bench.ui.warnings.isEmpty());
    }

    void stopQuestionOkFinishesTheRecording_data() {
        QTest::addColumn<bool>("paused");
        QTest::newRow("running") << false;
        QTest::newRow("paused") << true;
    }
    void stopQuestionOkFinishesTheRecording() {
        QFETCH(bool, paused);
        RecordingBench bench;
        bench.session.SetOnePoint(true);
        bench.session.SetIntervalText("700");
        bench.session.Start();
        if (paused) bench.Ticks(1);
        bench.ui.answers = {Answer::Ok};
        QVERIFY(bench.session.AskStopRecording());
        QCOMPARE(bench.ui.warnings.size(), 1);
        QCOMPARE(bench.ui.warnings[0].text, "Идет запись данных в файл. Остановить?");
        QCOMPARE(bench.ui.warnings[0].buttons, Buttons::OkCancel);
        QCOMPARE(bench.session.State(), RecordingState::Idle);
        QVERIFY(!bench.timer.active);
        QCOMPARE(bench.timer.interval, 700);
        // Finished: the next start makes a new file.
        bench.clock.now = QDateTime(QDate(2026, 3, 27), QTime(9, 6, 7));
        bench.session.Start();
        QCOMPARE(bench.session.FilePath(), bench.output + "/Kel_03-27_09-06-07.txt");
    }

    void stopQuestionCancelKeepsRecording() {
        RecordingBench bench;
        bench.session.Start();
        bench.Ticks(1);
        bench.ui.answers = {Answer::Cancel};
        // The timer goes on while the question stands.
        bench.ui.whileOpen = [&] { bench.Tick(); };
        QVERIFY(!bench.session.AskStopRecording());
        bench.ui.whileOpen = nullptr;
        QCOMPARE(bench.session.State(), RecordingState::Running);
        QVERIFY(bench.timer.active);
        bench.Ticks(1);
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8) + Row(9) + Row(10));
    }

    void finishClosesTheFileAndAllowsContinuingIt() {
        RecordingBench bench;
        bench.session.Start();
        bench.Ticks(2);
        bench.session.Finish();
        QCOMPARE(bench.session.State(), RecordingState::Idle);
        QVERIFY(!bench.timer.active);
        QCOMPARE(bench.session.RowsWritten(), 2);  // the group shows 0 once idle
        // The closed file is whole and can be continued.
        bench.ui.openChoices = {FileChoice{bench.session.FilePath(), 1}};
        bench.session.ContinueFile();
        QCOMPARE(bench.session.RowsWritten(), 0);
        bench.Ticks(1);
        bench.session.Finish();
        QCOMPARE(bench.FileBytes(), Header("1") + Row(8) + Row(9) + "\r\n" + Row(10));
    }
};

QTEST_GUILESS_MAIN(RecordingSessionTest)
#include "test_recording_session.moc"
