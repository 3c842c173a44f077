// kelvaron-load-bench: the main window recording while it polls, for as long as
// asked. The real TForm1 with its real serial port, timers and event loop (as
// `main` builds it, drawn on whatever platform QT_QPA_PLATFORM names: xcb on a
// virtual X display in scripts/bench) polls opacimeter-sim on a pseudo-terminal;
// the recording runs in the view "Запись" at the given interval.
//
//   kelvaron-load-bench --seconds 600 --interval 1 [--sim PATH] [--whole-replies]
//
// It prints the poll period as the simulator saw the requests (its --log), the
// CPU share and resident memory of this process from the start of the recording
// to its end, the rows the recording wrote against the count the group showed,
// and any message the window raised.
#include "app/application_look.h"
#include "app/main_window.h"
#include "recording/recording_session.h"
#include "recording/view/recording_group.h"
#include "testing/request_log.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace kelvaron;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

struct Spread {
    size_t count = 0;
    double median = 0, p99 = 0, worst = 0;
};

Spread SpreadOf(std::vector<double> v) {
    Spread s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.count = v.size();
    s.median = v[v.size() / 2];
    s.p99 = v[v.size() * 99 / 100];
    s.worst = v.back();
    return s;
}

// The requests the simulator logged ("TIME_US CODE") between `fromUs` and `toUs`:
// the tick period (requests one tick apart, as within a polling cycle) and the
// polling cycle (status request to status request).
void PrintPollPeriods(const QString& log, qint64 fromUs, qint64 toUs) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("  no request log\n");
        return;
    }
    std::vector<double> ticks, cycles;
    qint64 last = -1, lastStatus = -1;
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split(' ');
        if (f.size() != 2) continue;  // a reply
        const qint64 t = f[0].toLongLong();
        if (t < fromUs || t > toUs) continue;
        if (last >= 0 && t - last < 30'000) ticks.push_back((t - last) / 1000.0);
        if (f[1].toInt() == 10) {
            if (lastStatus >= 0) cycles.push_back((t - lastStatus) / 1000.0);
            lastStatus = t;
        }
        last = t;
    }
    const Spread tick = SpreadOf(ticks), cycle = SpreadOf(cycles);
    const long lost =
        std::count_if(cycles.begin(), cycles.end(), [](double ms) { return ms > 300; });
    std::printf("  tick period: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms over %zu\n",
                tick.median, tick.p99, tick.worst, tick.count);
    std::printf(
        "  cycle period: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms over %zu cycles, "
        "%ld lost (longer than 300 ms)\n",
        cycle.median, cycle.p99, cycle.worst, cycle.count, lost);
}

// Lines after the header that hold a row (the empty lines of pauses are not rows).
long DataRows(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    long rows = 0;
    bool header = true;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (header) {
            header = false;
            continue;
        }
        if (line != "\r\n") ++rows;
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 600, interval = 1;
    QString sim = QStringLiteral(OPACIMETER_SIM_EXE);
    bool wholeReplies = false;
    for (int i = 1; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (!std::strcmp(argv[i], "--seconds") && value)
            seconds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--interval") && value)
            interval = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--sim") && value)
            sim = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--whole-replies"))
            wholeReplies = true;
        else {
            std::fprintf(stderr,
                         "usage: kelvaron-load-bench [--seconds N] [--interval MS] [--sim PATH] "
                         "[--whole-replies]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyApplicationLook(app);
    QTemporaryDir dir;
    const QString log = dir.filePath("requests.log");

    // The program's folder: settings that search at start and record at `interval`.
    AppSettings settings = AppSettings::Defaults();
    settings.setRecordInterval(interval);
    WriteSettingsFile(dir.filePath("Kelvaron.dat"), settings);
    QProcess simulator;
    QStringList simArgs = {"--dir", dir.path(), "--log", log};
    if (wholeReplies) simArgs << "--whole-replies";
    simulator.start(sim, simArgs);
    if (!simulator.waitForStarted(5000)) {
        std::fprintf(stderr, "the simulator %s did not start\n", qPrintable(sim));
        return 1;
    }
    QElapsedTimer waiting;
    waiting.start();
    while (!QFileInfo(dir.filePath("ports/COM1")).isSymLink() && waiting.elapsed() < 5000)
        QThread::msleep(10);

    testing::ScriptedInteraction messages;  // no message is expected; none may block
    TForm1 form(FormDeps{dir.path(), nullptr, &messages, nullptr, std::nullopt,
                         QLocale(QLocale::Russian, QLocale::Russia)});
    form.show();
    waiting.restart();
    while (form.Control().state != PollState::Polling && waiting.elapsed() < 15000)
        app.processEvents(QEventLoop::AllEvents, 10);
    if (form.Control().state != PollState::Polling) {
        std::fprintf(stderr, "the window did not find the simulator\n");
        return 1;
    }
    form.ShowView(View::Recording);
    form.Recording().startButton->click();  // " Начать"
    RecordingSession& recording = form.Recording().Session();
    if (!recording.IsActive()) {
        std::fprintf(stderr, "the recording did not start: %s\n",
                     qPrintable(messages.shown.join(" | ")));
        return 1;
    }

    // The simulator's clock: the time of the last request logged now.
    const auto lastLoggedUs = [&] {
        const auto requests = kelvaron::testing::ReadRequestLog(log);
        return requests.empty() ? qint64{0} : qint64{requests.back().us};
    };
    const qint64 fromUs = lastLoggedUs();
    const double cpu0 = CpuSeconds();
    const double rss0 = ResidentMb();
    std::vector<double> rssByMinute;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { rssByMinute.push_back(ResidentMb()); });
    sample.start(60'000);
    QElapsedTimer ran;
    ran.start();
    // A loop of its own: quitting the application would close the window first.
    QEventLoop run;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &run, &QEventLoop::quit);
    run.exec();
    const double elapsedS = ran.elapsed() / 1000.0;
    const double cpu1 = CpuSeconds();
    const double rss1 = ResidentMb();

    // " Пауза" shows the count at once (while rows come it follows within 50 ms),
    // and no row is written after it; then " Законч.".
    form.Recording().pauseButton->click();
    const QString shown = form.Recording().rowCountLabel->text();
    const int counted = recording.RowsWritten();
    form.Recording().finishButton->click();
    const QString path = recording.FilePath();
    const long rows = DataRows(path);
    const qint64 toUs = fromUs + static_cast<qint64>(elapsedS * 1e6);
    simulator.terminate();
    simulator.waitForFinished(3000);

    std::printf("recording every %d ms while polling, %.1f s, window on the %s platform:\n",
                interval, elapsedS, qPrintable(QGuiApplication::platformName()));
    PrintPollPeriods(log, fromUs, toUs);
    std::printf("  CPU: %.2f %% of one core (%.2f s in %.1f s)\n", 100 * (cpu1 - cpu0) / elapsedS,
                cpu1 - cpu0, elapsedS);
    std::printf("  resident memory: %.1f MB at the start, %.1f MB at the end (%+.1f MB)", rss0,
                rss1, rss1 - rss0);
    if (!rssByMinute.empty()) {
        std::printf("; by minute:");
        for (double mb : rssByMinute) std::printf(" %.1f", mb);
    }
    std::printf("\n");
    std::printf(
        "  rows: %ld in the file (%.1f per second, %.1f MB), Label7Z showed %s, the session "
        "counted %d: %s\n",
        rows, rows / elapsedS, QFileInfo(path).size() / 1e6, qPrintable(shown), counted,
        rows == shown.toLong() && rows == counted ? "equal" : "NOT EQUAL");
    std::printf("  messages: %s\n",
                messages.shown.isEmpty() ? "none" : qPrintable(messages.shown.join(" | ")));
    form.close();
    return rows == shown.toLong() ? 0 : 1;
}
