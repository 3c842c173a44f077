// Named line faults end to end: opacimeter-sim on a pseudo-terminal injects them,
// and the real serial port, frame scan and main window take them.
//
// The receive path is measured first: a 20 ms loop asks for the status every tick
// through TSerial and cuts what arrives with TProtokol, and the frames it accepts
// are counted against the intact replies the simulator logged. Then the main
// window runs against the same faults and must keep showing only true readings,
// raise "Буфер переполнен" at most once in a polling session, report a silent or hung-up
// line after exactly 20 silent ticks and then send nothing more.
//
// Everything asserted here is a count of frames, ticks or notices, so a busy
// machine cannot fail it. The figures that depend on the clock (how long the
// event loop stood still, the CPU after a loss) are printed, and checked only
// when KELVARON_TIMING is set, as scripts/bench sets it.
#include "device/live_panel.h"
#include "device/protokol.h"
#include "device/serial.h"
#include "device/value_box.h"
#include "opacimeter.h"
#include "scripted_interaction.h"
#include "shell/command_bars.h"
#include "shell/main_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

using namespace kelvaron;

namespace {

struct SimLog {
    int intactReplies = 0;  // replies and not burst frames, with a good check byte
    int spoiledReplies = 0;
    int burstFrames = 0;
    double lastRequestS = 0;
};

SimLog ReadSimLog(const QString& path) {
    SimLog log;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return log;
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split(' ');
        if (f.size() == 2) log.lastRequestS = f[0].toLongLong() / 1e6;
        if (f.size() != 3) continue;
        if (f[2].endsWith('b'))
            ++log.burstFrames;
        else if (f[2] == "r1")
            ++log.intactReplies;
        else
            ++log.spoiledReplies;
    }
    return log;
}

// The simulator linked as COM1 in `dir`, with a fault from `faultAtS` on.
class Simulator {
public:
    Simulator(const QString& dir, const QString& fault, double faultAtS)
        : log_(dir + "/requests.log") {
        started_.start();
        process_.start(OPACIMETER_SIM_EXE, {"--dir", dir, "--log", log_, "--seed", "7", "--fault",
                                            QString("%1@%2").arg(fault).arg(faultAtS)});
        process_.waitForStarted();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dir + "/ports/COM1").isSymLink(), 5000);
    }
    ~Simulator() { Stop(); }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        process_.waitForFinished(3000);
    }
    double ElapsedS() const { return started_.elapsed() / 1000.0; }
    SimLog Log() const { return ReadSimLog(log_); }

private:
    QString log_;
    QProcess process_;
    QElapsedTimer started_;
};

struct ReceiveCount {
    int accepted = 0;        // replies accepted by the frame scan
    int repliesRead = 0;     // replies in all the bytes read
    int refusedReplies = 0;  // of them, replies that lost a byte to the full ring
    int burstAccepted = 0;   // frames of bursts accepted
    int refusedBytes = 0;    // bytes the full ring refused
    int ticksWithRefusals = 0;
};

// The replies (not frames of a burst) in everything read, cut by a scan of their
// own that never fills: `lost` counts those with a byte the receive path's full
// ring refused. A frame is 8 bytes in a row, so it ends at the byte whose push
// completes it.
struct RepliesOnLine {
    int all = 0;
    int lost = 0;
};
RepliesOnLine RepliesRead(const std::vector<uint8_t>& bytes, const std::vector<bool>& refused) {
    RepliesOnLine replies;
    TProtokol scan;
    FrameData d{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        scan.Push(bytes[i]);
        while (scan.NextFrame(d)) {
            if (d[4] == sim::kBurstMark) continue;
            ++replies.all;
            const auto end = refused.begin() + static_cast<std::ptrdiff_t>(i) + 1;
            if (std::find(end - std::min<std::ptrdiff_t>(8, end - refused.begin()), end, true) !=
                end)
                ++replies.lost;
        }
    }
    return replies;
}

// Asks for the status every 20 ms for `seconds`, then drains, as the poll loop would.
// Every byte read is kept with whether the ring refused it.
ReceiveCount RunReceivePath(const QString& portsDir, double seconds) {
    ReceiveCount count;
    std::vector<uint8_t> read;
    std::vector<bool> readRefused;
    TSerial serial(portsDir);
    if (!serial.Open(1, 9600)) return count;
    TProtokol scan;
    FrameData d{};
    QElapsedTimer clock;
    clock.start();
    const auto tick = [&](bool ask) {
        const int waiting = serial.BytesWaiting();
        if (waiting > 0) {
            std::vector<uint8_t> buffer(static_cast<size_t>(waiting) + 1);
            const int got =
                serial.Read(buffer.data(), static_cast<uint16_t>(std::min(waiting, 0xFFFF)));
            int refused = 0;
            for (int i = 0; i < got; ++i) {
                const bool taken = scan.Push(buffer[static_cast<size_t>(i)]);
                refused += taken ? 0 : 1;
                read.push_back(buffer[static_cast<size_t>(i)]);
                readRefused.push_back(!taken);
            }
            count.refusedBytes += refused;
            count.ticksWithRefusals += refused > 0 ? 1 : 0;
            while (scan.NextFrame(d)) {
                if (d[4] == sim::kBurstMark)
                    ++count.burstAccepted;
                else
                    ++count.accepted;
            }
        }
        if (ask) serial.SendCommand(10);
    };
    for (int n = 1; clock.elapsed() < seconds * 1000; ++n) {
        tick(true);
        const qint64 next = n * 20 - clock.elapsed();
        if (next > 0) QThread::msleep(static_cast<unsigned long>(next));
    }
    // The last replies; a split reply takes longer on the line than a tick, so they queue.
    for (int i = 0; i < 60; ++i) {
        QThread::msleep(20);
        tick(false);
    }
    const RepliesOnLine replies = RepliesRead(read, readRefused);
    count.repliesRead = replies.all;
    count.refusedReplies = replies.lost;
    return count;
}

// Seconds of CPU this process has used.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool TimingChecked() { return qEnvironmentVariableIsSet("KELVARON_TIMING"); }

// The main window in its own folder, watched every 5 ms, its poll ticks counted.
struct Watched {
    QTemporaryDir dir;
    testing::ScriptedInteraction messages;
    std::unique_ptr<TForm1> form;
    int ticks = 0;
    QTimer watch;
    QElapsedTimer since;
    qint64 lastBeat = 0;
    qint64 longestGapMs = 0;
    QStringList wrongReadings;
    bool seenReading = false;

    void Start() {
        form = std::make_unique<TForm1>(
            FormDeps{dir.path(), nullptr, &messages, nullptr, QSize(1920, 1080), {}});
        QObject::connect(&form->PollTimer(), &QTimer::timeout, [this] { ++ticks; });
        since.start();
        QObject::connect(&watch, &QTimer::timeout, [this] {
            const qint64 now = since.elapsed();
            longestGapMs = std::max(longestGapMs, now - lastBeat);
            lastBeat = now;
            // The idle instrument's smoke is 0.9 to 1.5 %: anything else was never sent.
            // Before the first opacity reply the box shows the design text or the
            // reading held from the start, 0.
            const QString n = form->Live().Edit8->text();
            bool ok = false;
            const double value = QString(n).replace(',', '.').toDouble(&ok);
            const bool sent = ok && value >= 0.9 && value <= 1.5;
            seenReading = seenReading || sent;
            if (!sent && (seenReading || !(ok && value == 0.0))) wrongReadings << n;
        });
        watch.start(5);
        form->show();
    }
    bool Polling() const { return form->Control().state == PollState::Polling; }
    int OverflowNotices() const {
        return messages.notices.count(QStringLiteral("Буфер переполнен"));
    }
    // Runs the event loop until `count` more poll ticks have passed.
    bool RunTicks(int count) {
        const int until = ticks + count;
        return QTest::qWaitFor([&] { return ticks >= until; }, 60'000);
    }
};

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void receivePathLosesNoGoodFrame_data() {
        QTest::addColumn<QString>("fault");
        for (const char* f : {"noise", "bad-check", "split", "slow", "burst"})
            QTest::newRow(f) << QString(f);
    }
    void receivePathLosesNoGoodFrame() {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        Simulator sim(dir.path(), fault, 0);
        const ReceiveCount got = RunReceivePath(dir.filePath("ports"), 3.0);
        sim.Stop();
        const SimLog sent = sim.Log();
        qInfo(
            "%s: %d intact replies sent, %d accepted, %d refused by the full ring, %d "
            "spoiled; burst frames %d sent, %d accepted; %d bytes refused in %d ticks",
            qPrintable(fault), sent.intactReplies, got.accepted, got.refusedReplies,
            sent.spoiledReplies, sent.burstFrames, got.burstAccepted, got.refusedBytes,
            got.ticksWithRefusals);
        QVERIFY(sent.intactReplies > 90);
        QCOMPARE(got.repliesRead, sent.intactReplies);  // the line delivered every reply
        // No good reply lost, except one read together with a burst the ring could
        // not hold (a busy machine delays the reads so): each overflow refuses what
        // does not fit, and only a burst overflows.
        QCOMPARE(got.accepted, got.repliesRead - got.refusedReplies);
        if (fault != "burst") QCOMPARE(got.refusedBytes, 0);
        if (fault == "bad-check") QVERIFY(sent.spoiledReplies > 30);
        if (fault == "burst") {
            QVERIFY(got.refusedBytes > 0);  // the bursts did overflow the ring
            QVERIFY(got.burstAccepted < sent.burstFrames);
        }
    }

    void windowShowsOnlyTrueReadingsAndStaysResponsive_data() {
        QTest::addColumn<QString>("fault");
        for (const char* f : {"noise", "bad-check", "split", "slow", "burst"})
            QTest::newRow(f) << QString(f);
    }
    void windowShowsOnlyTrueReadingsAndStaysResponsive() {
        QFETCH(QString, fault);
        Watched w;
        Simulator sim(w.dir.path(), fault, 0);
        w.Start();
        QTRY_VERIFY_WITH_TIMEOUT(w.Polling(), 10000);
        QVERIFY(w.RunTicks(150));  // fifteen polling cycles
        QCOMPARE(w.form->Status().Label2->text(), QStringLiteral("Прибор работает нормально"));
        QVERIFY(!w.form->Control().linkLost);
        // A burst is forty extra frames with good check bytes: no receiver can tell
        // them from replies, so what they carry is shown; every other fault must
        // leave only the instrument's true readings on screen.
        if (fault != "burst")
            QVERIFY2(w.wrongReadings.isEmpty(), qPrintable(w.wrongReadings.join(' ')));
        if (TimingChecked())
            QVERIFY2(w.longestGapMs < 100,
                     qPrintable(QString("event loop stood %1 ms").arg(w.longestGapMs)));
        if (fault == "burst") {
            QCOMPARE(w.OverflowNotices(), 1);  // once in the polling session
        } else {
            QCOMPARE(w.OverflowNotices(), 0);
        }
        qInfo("%s: %d overflow notices, longest event-loop gap %lld ms", qPrintable(fault),
              w.OverflowNotices(), w.longestGapMs);
    }

    void silenceOrHangUpMidTestIsReportedWithin20Ticks_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("silence") << QString("silence");
        QTest::newRow("hang-up") << QString("hang-up");
    }
    void silenceOrHangUpMidTestIsReportedWithin20Ticks() {
        QFETCH(QString, fault);
        constexpr double kFaultAtS = 3.0;
        Watched w;
        Simulator sim(w.dir.path(), fault, kFaultAtS);
        w.Start();
        QTRY_VERIFY_WITH_TIMEOUT(w.Polling() && w.form->Readings().deviceState == 1, 10000);
        w.form->Status().BitBtn4->click();  // "СВ.УСК."
        QTRY_VERIFY_WITH_TIMEOUT(w.form->Control().state == PollState::FreeAccelTest, 10000);
        if (sim.ElapsedS() >= kFaultAtS) QSKIP("the machine was too slow to start the test first");
        QTRY_VERIFY_WITH_TIMEOUT(w.form->Control().linkLost, 20000);
        const double reportedS = sim.ElapsedS();
        QCOMPARE(w.form->Status().Label2->text(), QStringLiteral("СВЯЗЬ ПРЕРВАНА."));
        QCOMPARE(w.form->Control().state, PollState::FreeAccelTest);  // left where it was
        // Reported after exactly 20 silent ticks, and the poll timer is stopped: no
        // request can leave after it.
        QCOMPARE(w.form->Control().silentTicks, poll_timing::kSilenceLimitTicks);
        QVERIFY(!w.form->PollTimer().isActive());
        double cpuShare = 0;
        if (TimingChecked()) {
            const double cpuBefore = CpuSeconds();
            QTest::qWait(1000);
            cpuShare = CpuSeconds() - cpuBefore;
        }
        sim.Stop();
        const SimLog log = sim.Log();
        qInfo(
            "%s: reported %.3f s after the fault, last request %.3f s after it; %.3f s of CPU "
            "in the second after; longest event-loop gap %lld ms",
            qPrintable(fault), reportedS - kFaultAtS, log.lastRequestS - kFaultAtS, cpuShare,
            w.longestGapMs);
        if (TimingChecked()) {
            QVERIFY2(reportedS - kFaultAtS < 0.7,
                     qPrintable(QString("reported after %1 s").arg(reportedS - kFaultAtS)));
            QVERIFY2(cpuShare < 0.1,
                     qPrintable(QString("%1 s of CPU in 1 s after the loss").arg(cpuShare)));
            QVERIFY2(w.longestGapMs < 100,
                     qPrintable(QString("event loop stood %1 ms").arg(w.longestGapMs)));
        }
    }
};

QTEST_MAIN(FaultsTest)
#include "test_faults.moc"
