// The built program, copied into an empty folder, against opacimeter-sim linked
// there as COM1: it finds the instrument, polls it with the protocol's cadence,
// and stops asking once the instrument falls silent. Only counts of requests
// are checked, so a busy machine cannot fail it; the timing of the cycle is
// measured by scripts/bench. And the end of a session (SIGTERM, SIGHUP, SIGINT)
// closes the program with its close steps: the settings are written.
#include "testing/request_log.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

#include <csignal>

using kelvaron::testing::LoggedRequest;
using kelvaron::testing::ReadRequestLog;

namespace {

constexpr double kSilenceAtS = 6.0;

// A request's time in seconds on the simulator's clock.
double Seconds(const kelvaron::testing::LoggedRequest& r) { return r.us / 1e6; }

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void programFindsTheInstrumentPollsItAndStopsWhenItFallsSilent() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.filePath("kelvaron");
        QVERIFY(QFile::copy(KELVARON_EXE, program));
        const QString log = dir.filePath("requests.log");

        QProcess simulator;
        simulator.start(OPACIMETER_SIM_EXE, {"--dir", dir.path(), "--port", "1", "--log", log,
                                             "--fault", QString("silence@%1").arg(kSilenceAtS)});
        QVERIFY(simulator.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dir.filePath("ports/COM1")).isSymLink(), 5000);

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(QDir::tempPath());  // the program must not care
        app.start(program, {});
        QVERIFY(app.waitForStarted());
        // Until the instrument has fallen silent, and a while after.
        QTRY_VERIFY_WITH_TIMEOUT(simulator.state() == QProcess::Running &&
                                     ReadRequestLog(log).size() > 0 &&
                                     Seconds(ReadRequestLog(log).back()) > kSilenceAtS - 0.5,
                                 60'000);
        QTest::qWait(2000);
        QCOMPARE(app.state(), QProcess::Running);
        app.kill();
        app.waitForFinished();
        simulator.terminate();
        simulator.waitForFinished();

        const auto requests = ReadRequestLog(log);
        QVERIFY2(requests.size() > 50,
                 qPrintable(QString("only %1 requests").arg(requests.size())));
        QCOMPARE(requests.front().code, 14);  // identify first

        // Polling: each cycle is one status request and then opacity requests only,
        // six of them when every reply comes in time (a busy machine may cost one).
        std::vector<int> opacityPerCycle;
        int opacity = -1;
        for (const auto& r : requests) {
            if (Seconds(r) > kSilenceAtS) break;
            if (r.code == 10) {
                if (opacity >= 0) opacityPerCycle.push_back(opacity);
                opacity = 0;
            } else if (opacity >= 0) {
                QVERIFY2(r.code == 11, qPrintable(QString("request %1 in a cycle").arg(r.code)));
                ++opacity;
            }
        }
        QVERIFY2(opacityPerCycle.size() >= 5,
                 qPrintable(QString("%1 polling cycles").arg(opacityPerCycle.size())));
        std::sort(opacityPerCycle.begin(), opacityPerCycle.end());
        QCOMPARE(opacityPerCycle[opacityPerCycle.size() / 2], 6);
        QVERIFY(opacityPerCycle.back() <= 6);

        // Silent from kSilenceAtS: one request a tick at most for 20 ticks, then none.
        const auto after =
            std::count_if(requests.begin(), requests.end(),
                          [](const LoggedRequest& r) { return Seconds(r) >= kSilenceAtS; });
        QVERIFY2(after <= 20, qPrintable(QString("%1 requests after the silence").arg(after)));
    }

    void endOfSessionClosesTheProgramAsItsCloseBoxDoes_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM, a shutdown") << int{SIGTERM};
        QTest::newRow("SIGHUP, a logout") << int{SIGHUP};
        QTest::newRow("SIGINT") << int{SIGINT};
    }
    void endOfSessionClosesTheProgramAsItsCloseBoxDoes() {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString program = dir.filePath("kelvaron");
        QVERIFY(QFile::copy(KELVARON_EXE, program));
        // A record of zeros: no search at start, and a window size of 0 that the
        // close replaces with the window's own.
        QFile settings(dir.filePath("Kelvaron.dat"));
        QVERIFY(settings.open(QIODevice::WriteOnly) &&
                settings.write(QByteArray(320, '\0')) == 320);
        settings.close();

        qputenv("QT_QPA_PLATFORM", "offscreen");
        QProcess app;
        app.start(program, {});
        // The signal comes once the window is being built (its folders stand).
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dir.filePath("Output")).isDir(), 10'000);
        QCOMPARE(::kill(static_cast<pid_t>(app.processId()), signal), 0);
        QVERIFY(app.waitForFinished(10'000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray saved = settings.readAll();
        QVERIFY2(saved.size() == 320 && saved.mid(140, 8) != QByteArray(8, '\0'),
                 "no window size written at close");
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "test_end_to_end.moc"
