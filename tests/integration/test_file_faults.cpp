// Faults under the program's files, injected for real:
// - a process saving a report, a picture (EMF, BMP) or the settings without pause
//   is killed with SIGKILL at random moments; the file must be the old or the new
//   version whole, never torn, and a temporary file left by a kill must not stop
//   the next save (Unix);
// - the disk fills up under a report or picture save in the main window (a small
//   tmpfs, mounted when running as root on Linux): the save fails with one
//   message naming the file, and the old file stays;
// - the recording's folder "Output" is removed while a recording runs: one
//   message naming the file, the recording ends, the window goes on;
// - the instrument falls silent in the middle of a test while a recording runs:
//   the link loss shows, the recording goes on with the texts the live values
//   show, no result arrives and the peaks gathered stay.
// A full disk during a recording is tested in tests/recording/test_recording_faults.
#include "app/command_bars.h"
#include "app/main_menus.h"
#include "app/right_column.h"
#include "base/locale_formats.h"
#include "base/text_codec.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/recording_session.h"
#include "recording/view/recording_group.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "save_kill_contents.h"
#include "testing/file_bytes.h"
#include "testing/tiny_file_system.h"
#include "testing/window_station.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

#include <array>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#if defined(Q_OS_UNIX)
#include <sys/wait.h>

#include <csignal>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The texts of K, N, chamber and ambient temperature the live values show now, as
// a recording row carries them, with the row's time.
QByteArray ShownRow(TForm1& form, const QString& time) {
    const LivePanel& live = form.Live();
    return EncodeCp1251(live.kValueBox->text() + '\t' + live.nValueBox->text() + '\t' +
                        live.chamberValueBox->text() + '\t' + live.ambientValueBox->text() + '\t' +
                        time + "\t\r\n");
}

// The lines of a recording file after its header, each with its CR LF.
QList<QByteArray> DataRows(const QByteArray& file) {
    QList<QByteArray> rows;
    qsizetype at = file.indexOf("\r\n") + 2;  // after the header
    while (at > 1 && at < file.size()) {
        const qsizetype end = file.indexOf("\r\n", at);
        if (end < 0) {
            rows << file.mid(at);  // torn: no line end
            break;
        }
        rows << file.mid(at, end + 2 - at);
        at = end + 2;
    }
    return rows;
}

#if defined(Q_OS_UNIX)
constexpr int kKillsPerKind = 1000;

// The helper saves `version` once. Empty when it did, otherwise what went wrong.
QString SaveOnce(const QString& kind, const QString& path, int version) {
    QProcess helper;
    helper.start(SAVE_KILL_HELPER_EXE, {kind, path, "--once", QString::number(version)});
    if (!helper.waitForFinished(30000)) return "the helper did not finish: " + helper.errorString();
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        return QString("the helper failed with %1: %2")
            .arg(helper.exitCode())
            .arg(QString::fromLocal8Bit(helper.readAllStandardError()));
    return {};
}

// The helper serving kills of one kind of save to one path (see save_kill_helper).
// Empty when it started, otherwise what went wrong.
QString StartKillServer(QProcess& helper, const QString& kind, const QString& path) {
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.start(SAVE_KILL_HELPER_EXE, {kind, path});
    if (!helper.waitForStarted(10000)) return "the helper did not start: " + helper.errorString();
    return {};
}

// The helper's next line of output, or an empty one with `fault` set.
QByteArray NextLine(QProcess& helper, QString& fault) {
    while (!helper.canReadLine()) {
        if (!helper.waitForReadyRead(30000)) {
            fault = "the helper stopped answering: " +
                    QString::fromLocal8Bit(helper.readAllStandardError());
            return {};
        }
    }
    return helper.readLine().trimmed();
}

// One saver forked by the helper, its first save awaited, then killed after
// `delayUs`. Empty when it was killed as planned, otherwise what went wrong.
QString RunAndKill(QProcess& helper, int delayUs) {
    helper.write("go\n");
    QString fault;
    const QByteArray ready = NextLine(helper, fault);
    if (!fault.isEmpty()) return fault;
    bool isPid = false;
    const pid_t saver = ready.startsWith("ready ") ? ready.mid(6).toInt(&isPid) : 0;
    if (!isPid || saver <= 0) return "the helper said " + QString::fromLatin1(ready);
    // The delay is the fault's moment, not a wait for a result: whatever it is,
    // the file must be whole afterwards.
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
    ::kill(saver, SIGKILL);
    const QByteArray ended = NextLine(helper, fault);
    if (!fault.isEmpty()) return fault;
    if (ended != "ended signal " + QByteArray::number(SIGKILL))
        return QString("the saver %1: %2")
            .arg(QString::fromLatin1(ended), QString::fromLocal8Bit(helper.readAllStandardError()));
    return {};
}
#endif

}  // namespace

class FileFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void killedMidSaveLeavesTheOldOrTheNewFileWhole_data() {
        QTest::addColumn<QString>("kind");
        for (const QString& kind : kSaveKinds) QTest::newRow(qPrintable(kind)) << kind;
    }
    void killedMidSaveLeavesTheOldOrTheNewFileWhole() {
#if !defined(Q_OS_UNIX)
        QSKIP("a process is killed at an arbitrary instruction only on Unix (SIGKILL)");
#else
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("saved." + kind);
        // The bytes of both versions, as the helper saves them.
        QByteArray versions[2];
        for (int v = 0; v < 2; ++v) {
            const QString reference = dir.filePath(QString("version%1").arg(v));
            PutFile(reference, "x");  // a save in place needs a file to write over
            QCOMPARE(SaveOnce(kind, reference, v), QString());
            versions[v] = FileBytes(reference);
            QVERIFY(!versions[v].isEmpty());
            QVERIFY(QFile::remove(reference));
        }
        QVERIFY(versions[0] != versions[1]);
        // A settings record is always 320 bytes; the other versions differ in length.
        QVERIFY(kind.startsWith("settings") || versions[0].size() != versions[1].size());
        // The kills are spread over three saves' time, so they fall into every step
        // of a save: writing, flushing, renaming, between saves. One save's time is
        // taken from the program's own save in this process.
        PutFile(path, "x");
        QElapsedTimer timing;
        timing.start();
        for (int i = 0; i < 10; ++i) QVERIFY(SaveKillVersion(kind, path, i % 2));
        const int spreadUs = static_cast<int>(timing.nsecsElapsed() / 1000 / 10 * 3) + 50;
        QCOMPARE(SaveOnce(kind, path, 0), QString());
        QCOMPARE(FileBytes(path), versions[0]);

        const unsigned seed = 20261208u + static_cast<unsigned>(kSaveKinds.indexOf(kind));
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> delay(0, spreadUs);
        int seen[2] = {0, 0};
        int temporaryLeft = 0;
        QProcess helper;
        QCOMPARE(StartKillServer(helper, kind, path), QString());
        for (int k = 0; k < kKillsPerKind; ++k) {
            const int delayUs = delay(random);
            const QString fault = RunAndKill(helper, delayUs);
            if (!fault.isEmpty()) QFAIL(qPrintable(QString("kill %1: %2").arg(k).arg(fault)));
            const QByteArray now = FileBytes(path);
            if (now == versions[0]) {
                ++seen[0];
            } else if (now == versions[1]) {
                ++seen[1];
            } else {
                QFAIL(qPrintable(QString("kill %1 after %2 us left a torn file of %3 bytes "
                                         "(versions have %4 and %5)")
                                     .arg(k)
                                     .arg(delayUs)
                                     .arg(now.size())
                                     .arg(versions[0].size())
                                     .arg(versions[1].size())));
            }
            if (QFileInfo::exists(TemporaryPathFor(path))) ++temporaryLeft;
            // Nothing but the file and, at most, its temporary file.
            for (const QString& file : FilesIn(dir.path()))
                QVERIFY2(dir.filePath(file) == path || dir.filePath(file) == TemporaryPathFor(path),
                         qPrintable(file));
        }
        helper.closeWriteChannel();
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(helper.exitCode(), 0);
        qInfo(
            "%s: %d kills (seed %u) within %d us of the first save: %d left the first "
            "version, %d the second, %d a temporary file",
            qPrintable(kind), kKillsPerKind, seed, spreadUs, seen[0], seen[1], temporaryLeft);
        // The kills did fall inside saves (a temporary file was left; written in
        // place, none is made) and between them (both versions were found).
        if (kind == "settings-in-place")
            QCOMPARE(temporaryLeft, 0);
        else
            QVERIFY(temporaryLeft > 0);
        QVERIFY(seen[0] > 0 && seen[1] > 0);
        // The next save goes over whatever the last kill left.
        const int next = FileBytes(path) == versions[0] ? 1 : 0;
        QCOMPARE(SaveOnce(kind, path, next), QString());
        QCOMPARE(FileBytes(path), versions[next]);
        QVERIFY(!QFileInfo::exists(TemporaryPathFor(path)));
#endif
    }

    void fullDiskRefusesTheSaveNamesTheFileAndKeepsTheOldOne_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pictureType");  // 0: the report
        QTest::addColumn<QString>("message");
        QTest::newRow("report") << "kept.txt" << 0 << QStringLiteral("Отчет не сохранен :");
        QTest::newRow("bmp picture") << "kept.bmp" << 1 << QStringLiteral("График не сохранен :");
        QTest::newRow("emf picture") << "kept.emf" << 2 << QStringLiteral("График не сохранен :");
    }
    void fullDiskRefusesTheSaveNamesTheFileAndKeepsTheOldOne() {
        QFETCH(QString, name);
        QFETCH(int, pictureType);
        QFETCH(QString, message);
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        const QString full = s.Path("full");
        QVERIFY(QDir().mkdir(full));
        TinyFileSystem disk(full, 4096);  // room for the chart as a bitmap
        if (!disk.skip.isEmpty()) QSKIP(qPrintable(disk.skip));
        const QString path = full + "/" + name;
        const QByteArray old = "the old file, which a failed save must leave as it is\r\n";
        PutFile(path, old);
        FillUp(full);
        const auto save = [&] {
            s.messages.saveChoices.push_back(FileChoice{path, std::max(pictureType, 1)});
            if (pictureType == 0)
                form.Column().saveReportButton->click();  // "Сохранить"
            else
                form.Menus().saveChartItem->trigger();  // "Сохранить график"
        };
        save();
        QCOMPARE(s.messages.notices.size(), 1);
        QCOMPARE(s.messages.notices[0], message + QDir::toNativeSeparators(path));
        QCOMPARE(FileBytes(path), old);
        QCOMPARE(FilesIn(full), QStringList({"filler", name}));  // no temporary file left
        // With room again the same save goes through.
        QVERIFY(QFile::remove(full + "/filler"));
        save();
        QCOMPARE(s.messages.notices.size(), 1);
        const QByteArray saved = FileBytes(path);
        if (pictureType == 0)
            QCOMPARE(saved, EncodeCp1251(form.Report().Lines().join("\r\n") + "\r\n"));
        else
            QVERIFY(saved.startsWith(pictureType == 1 ? QByteArray("BM")
                                                      : QByteArray("\x01\0\0\0", 4)));
        QCOMPARE(FilesIn(full), QStringList({name}));
    }

    void outputFolderRemovedMidRecordingEndsItWithOneMessage() {
#if defined(Q_OS_WIN)
        QSKIP("Windows does not let a folder be removed while a file in it is open");
#endif
        WindowStation s;
        sim::Opacimeter instrument;
        TForm1& form = s.StartShownRecordingEvery(100);
        QVERIFY(s.Connect(instrument));
        WindowStation::BeginRecording(form);
        RecordingSession& session = form.Recording().Session();
        QVERIFY(session.IsActive());
        QVERIFY(form.RecordTimer().isActive());
        const QString path = session.FilePath();
        for (int row = 0; row < 3; ++row) {
            s.TickUntil([] { return false; }, 5);
            session.WriteRow();
        }
        QCOMPARE(session.RowsWritten(), 3);
        // The requests of two polling cycles, to compare with those after the fault.
        size_t sent = s.port->SentFrames().size();
        s.TickUntil([] { return false; }, 20);
        const size_t cycleRequests = s.port->SentFrames().size() - sent;

        QVERIFY(QDir(s.Path("Output")).removeRecursively());
        s.TickUntil([] { return false; }, 5);
        session.WriteRow();  // the recording timer's next tick
        QCOMPARE(s.messages.notices.size(), 1);
        QVERIFY2(s.messages.notices[0].contains(QDir::toNativeSeparators(path)),
                 qPrintable(s.messages.notices[0]));
        QCOMPARE(session.State(), RecordingState::Idle);
        QVERIFY(!form.RecordTimer().isActive());
        QCOMPARE(form.Recording().rowCountLabel->text(), QStringLiteral("0"));
        QVERIFY(form.Recording().startButton->isVisible());  // " Начать" again
        session.WriteRow();                                  // a tick left over: nothing more
        QCOMPARE(s.messages.notices.size(), 1);
        QVERIFY(!QFileInfo::exists(s.Path("Output")));

        // The rest goes on: polling, leaving the view without a question, and a new
        // recording once the folder is back.
        sent = s.port->SentFrames().size();
        s.TickUntil([] { return false; }, 20);
        QCOMPARE(s.port->SentFrames().size(), sent + cycleRequests);
        QCOMPARE(form.Status().modeLine->text(), QStringLiteral("Прибор работает нормально"));
        form.ShowView(View::Table);
        QVERIFY(s.messages.warnings.isEmpty());
        QCOMPARE(form.Column().viewList->currentRow(), 0);
        QVERIFY(QDir().mkdir(s.Path("Output")));
        form.ShowView(View::Recording);
        s.wallClock.now = s.wallClock.now.addSecs(60);
        form.Recording().startButton->click();
        QVERIFY(session.IsActive());
        session.WriteRow();
        QCOMPARE(DataRows(FileBytes(session.FilePath())).size(), 1);
        QCOMPARE(s.messages.notices.size(), 1);
    }

    void linkLostMidTestKeepsTheRecordingAndThePeaks() {
        constexpr int64_t kSelfStartUs = 2'000'000;
        // In the third acceleration: two measured whole, the third begun.
        constexpr int64_t kSilenceUs =
            kSelfStartUs + sim::Opacimeter::kLeadInUs +
            2 * (sim::Opacimeter::kSampleUs + sim::Opacimeter::kPauseUs) +
            sim::Opacimeter::kSampleUs / 2;
        WindowStation s;
        sim::Opacimeter instrument(sim::Options{.fault = sim::Fault::Silence,
                                                .faultStartUs = kSilenceUs,
                                                .selfStart = sim::TestKind::FreeAccel,
                                                .selfStartUs = kSelfStartUs});
        TForm1& form = s.StartShownRecordingEvery(100);
        QVERIFY(s.Connect(instrument));
        WindowStation::BeginRecording(form);
        RecordingSession& session = form.Recording().Session();
        QVERIFY(session.IsActive());
        // The instrument starts its test: the window would show the chart and asks
        // first; Cancel keeps the recording and the view "Запись".
        s.messages.answers.push_back(Answer::Cancel);

        // A row every five ticks (100 ms), each expected to carry what the live
        // values show at that moment.
        QList<QByteArray> expected;
        qint64 lastSize = FileBytes(session.FilePath()).size();
        int tick = 0;
        std::array<double, TestResults::kMeasurements> peaksAtLoss{};
        const auto writeRow = [&] {
            s.wallClock.now = s.wallClock.now.addMSecs(100);
            const QByteArray row = ShownRow(
                form, LongTime(s.wallClock.now.time(), QLocale(QLocale::Russian, QLocale::Russia)));
            session.WriteRow();
            expected << row;
            const qint64 size = QFileInfo(session.FilePath()).size();
            QVERIFY2(size == lastSize + row.size(),
                     qPrintable(QString("file of %1 bytes after a row of %2, %3 before")
                                    .arg(size)
                                    .arg(row.size())
                                    .arg(lastSize)));
            lastSize = size;
        };
        const bool lost = s.TickUntil(
            [&] {
                if (++tick % 5 == 0) writeRow();
                return form.Control().linkLost;
            },
            1500);
        QVERIFY(lost);
        // The instrument's start is seen on every refresh of a polling cycle until
        // the start request goes out, and each asks the stop question again.
        for (const auto& warning : s.messages.warnings)
            QCOMPARE(warning.text, QStringLiteral("Идет запись данных в файл. Остановить?"));
        qInfo("the stop question was asked %lld times",
              static_cast<long long>(s.messages.warnings.size()));
        // As the instrument's own start is specified: asked at each of the up to
        // eight refreshes before the start request leaves, each answered Cancel.
        QVERIFY(s.messages.warnings.size() >= 1 && s.messages.warnings.size() <= 8);
        QCOMPARE(form.Column().viewList->currentRow(), 3);
        QCOMPARE(form.Control().state, PollState::FreeAccelTest);
        QCOMPARE(form.Status().modeLine->text(), QStringLiteral("СВЯЗЬ ПРЕРВАНА."));
        QCOMPARE(form.Control().silentTicks, poll_timing::kSilenceLimitTicks);
        QVERIFY(!form.PollTimer().isActive());
        peaksAtLoss = form.Results().peakN;
        QVERIFY2(peaksAtLoss[0] > 0 && peaksAtLoss[1] > 0 && peaksAtLoss[2] > 0,
                 "the first three accelerations had their peaks");
        for (size_t m = 3; m < peaksAtLoss.size(); ++m) QCOMPARE(peaksAtLoss[m], 0.0);
        QVERIFY(session.IsActive());
        const int rowsAtLoss = session.RowsWritten();
        // The rows during the test carried changing values.
        QVERIFY(std::set<QByteArray>(expected.begin(), expected.end()).size() > 10);

        // The recording timer goes on: rows with the values held on the panel.
        for (int i = 0; i < 30; ++i) writeRow();
        QCOMPARE(session.RowsWritten(), rowsAtLoss + 30);
        QCOMPARE(form.Results().freeAccelMeanX10, 0);  // no result
        QCOMPARE(form.Results().freeAccelValidity, 0);
        QCOMPARE(form.Results().peakN, peaksAtLoss);
        QVERIFY(s.messages.notices.isEmpty());
        QVERIFY(!form.PollTimer().isActive());

        form.Recording().finishButton->click();  // " Законч."
        const QList<QByteArray> rows = DataRows(FileBytes(session.FilePath()));
        QCOMPARE(rows.size(), expected.size());
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY2(rows[i] == expected[i],
                     qPrintable(QString("row %1: %2 instead of %3")
                                    .arg(i)
                                    .arg(QString::fromLatin1(rows[i]))
                                    .arg(QString::fromLatin1(expected[i]))));
        // The peaks are still those of the report.
        QCOMPARE(form.Results().peakN, peaksAtLoss);
    }
};

QTEST_MAIN(FileFaultsTest)
#include "test_file_faults.moc"
