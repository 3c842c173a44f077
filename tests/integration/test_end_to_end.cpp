// The built program, copied into an empty folder, against opacimeter-sim linked
// there as COM1: it finds the instrument, polls it with the protocol's cadence,
// and stops asking once the instrument falls silent.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

struct Logged {
    double timeS;
    int code;
};

std::vector<Logged> ReadLog(const QString& path) {
    std::vector<Logged> requests;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return requests;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() == 2)
            requests.push_back({fields[0].toLongLong() / 1e6, fields[1].toInt()});
    }
    return requests;
}

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

        constexpr double kSilenceAtS = 6.0;
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
        QTest::qWait(static_cast<int>(kSilenceAtS * 1000) + 2000);
        QCOMPARE(app.state(), QProcess::Running);
        app.kill();
        app.waitForFinished();
        simulator.terminate();
        simulator.waitForFinished();

        const auto requests = ReadLog(log);
        QVERIFY2(requests.size() > 50,
                 qPrintable(QString("only %1 requests").arg(requests.size())));
        QCOMPARE(requests.front().code, 14);  // identify first

        // Polling: status every 10 ticks, six opacity requests in each cycle.
        std::vector<double> statusTimes;
        int opacity = 0;
        for (const auto& r : requests) {
            if (r.timeS < 2.0 || r.timeS > 5.0) continue;
            if (r.code == 10) statusTimes.push_back(r.timeS);
            if (r.code == 11) ++opacity;
            QVERIFY2(r.code == 10 || r.code == 11, qPrintable(QString("request %1").arg(r.code)));
        }
        QVERIFY2(statusTimes.size() >= 13 && statusTimes.size() <= 16,
                 qPrintable(QString("%1 status requests in 3 s").arg(statusTimes.size())));
        QVERIFY(std::abs(opacity - 6 * static_cast<int>(statusTimes.size())) <= 6);
        std::vector<double> periods;
        for (size_t i = 1; i < statusTimes.size(); ++i)
            periods.push_back(statusTimes[i] - statusTimes[i - 1]);
        std::sort(periods.begin(), periods.end());
        const double median = periods[periods.size() / 2];
        QVERIFY2(median > 0.19 && median < 0.21, qPrintable(QString("cycle %1 s").arg(median)));

        // Silent from kSilenceAtS: 20 silent ticks later the requests stop.
        const double last = requests.back().timeS;
        QVERIFY2(last >= kSilenceAtS && last < kSilenceAtS + 0.5,
                 qPrintable(QString("last request at %1 s").arg(last)));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "test_end_to_end.moc"
