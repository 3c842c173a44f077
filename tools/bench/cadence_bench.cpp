// kelvaron-cadence-bench: the poll's cadence while the window works hard. The
// real TForm1 with its real serial port polls opacimeter-sim on a pseudo-terminal
// (drawn on whatever platform QT_QPA_PLATFORM names: xcb on a virtual X display in
// scripts/bench) while the bench makes the window do its heavy work: a question
// held open at a test the instrument starts during a recording, a test started
// and ended with a 1 MB template, the report and the chart printed to PDF, the
// chart saved as a metafile, the window resized again and again. It runs twice,
// the device link in the window's thread (as the program ran it before) and in
// a thread of its own (as it runs now).
//
//   kelvaron-cadence-bench [--sim PATH]
//
// The cadence is the instrument's view of it: the simulator logs every request on
// the monotonic clock, the bench marks each scenario's start and end on the same
// clock. It is also measured where the requests leave: the bench hands the window
// the real serial port behind a wrapper that notes the time of every request
// written; the two differ by the pseudo-terminal (the kernel hands the bytes on
// in a worker thread of its own) and the simulator's own waits for a core. Between two requests in
// a row the loop runs a known number of ticks (one, but at the quiet end of a polling cycle and
// where a result is fetched); the period is their time over that count, and ticks are lost where a
// gap runs half a tick or more beyond it.
#include "app/main_window.h"
#include "app/right_column.h"
#include "base/app_settings.h"
#include "base/text_codec.h"
#include "device/serial.h"
#include "recording/recording_session.h"
#include "recording/view/recording_group.h"
#include "testing/request_log.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

using namespace kelvaron;

namespace {

int64_t NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The dialogs answered as an operator would, a question held open like a
// modal box, prints going to a PDF file.
class BenchInteraction final : public Interaction {
public:
    QString pdfPath;
    std::optional<FileChoice> saveChoice;
    int questionHoldMs = 2000;

    void Notice(const QString&) override {}
    Answer Warn(const QString&, Buttons) override {
        QEventLoop open;  // a modal box runs an event loop of its own
        QTimer::singleShot(questionHoldMs, &open, &QEventLoop::quit);
        open.exec();
        return Answer::Cancel;  // the recording goes on
    }
    std::optional<FileChoice> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<FileChoice> SaveFile(const FileDialog&) override {
        auto choice = saveChoice;
        saveChoice.reset();
        return choice;
    }
    bool ChoosePrinter(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        printer.setResolution(600);
        return true;
    }
    std::optional<QColor> ChooseColor(const QColor&) override { return std::nullopt; }
    bool OpenWithDesktop(const QString&) override { return true; }
};

using Request = kelvaron::testing::LoggedRequest;

// The real serial port, noting when each request frame was written. Written in
// the link's thread, read once the window (and with it the thread) is gone.
class TimedSerial final : public SerialLink {
public:
    TimedSerial(QString portsDir, std::vector<Request>& sent)
        : port_(std::move(portsDir)), sent_(sent) {}
    bool Open(int port, int baud) override { return port_.Open(port, baud); }
    bool Close() override { return port_.Close(); }
    int BytesWaiting() override { return port_.BytesWaiting(); }
    int Read(uint8_t* buffer, uint16_t max) override { return port_.Read(buffer, max); }
    int Write(const uint8_t* buffer, uint16_t count) override {
        const int written = port_.Write(buffer, count);
        if (count == 4 && written == 4) sent_.push_back({NowUs(), buffer[1]});
        return written;
    }
    bool IsOpen() const override { return port_.IsOpen(); }

private:
    TSerial port_;
    std::vector<Request>& sent_;
};

struct Scenario {
    const char* name;
    int64_t fromUs = 0, toUs = 0;
};

struct Cadence {
    double medianMs = 0, p99Ms = 0, worstMs = 0;
    int ticksLost = 0;
    size_t intervals = 0;
};

bool IsResult(int code) { return code == 12 || code == 13 || code == 15 || code == 16; }

// The ticks between two requests the loop sent one after the other: one, but for
// the quiet end of a polling cycle (after its sixth opacity request: four ticks to
// the next status, three to a command at phase 9) and the five ticks the
// instrument is given for its result after the status that ended a test.
int ExpectedTicks(const Request& previous, const Request& next, int opacitiesInCycle) {
    if (opacitiesInCycle == 6 && previous.code == 11) return next.code == 10 ? 4 : 3;
    if (previous.code == 10 && IsResult(next.code)) return 6;
    return 1;
}

Cadence Measure(const std::vector<Request>& r, const Scenario& s) {
    std::vector<double> periods;
    Cadence c;
    int opacities = 0;  // opacity requests since the last status request
    for (size_t i = 1; i < r.size(); ++i) {
        opacities = r[i - 1].code == 10 ? 0 : opacities + (r[i - 1].code == 11);
        if (r[i - 1].us < s.fromUs || r[i].us > s.toUs) continue;
        const int ticks = ExpectedTicks(r[i - 1], r[i], opacities);
        const double gapMs = (r[i].us - r[i - 1].us) / 1000.0;
        periods.push_back(gapMs / ticks);
        if (gapMs > (ticks + 0.5) * 20.0)
            c.ticksLost += static_cast<int>(std::lround(gapMs / 20.0)) - ticks;
    }
    if (periods.empty()) return c;
    std::sort(periods.begin(), periods.end());
    c.intervals = periods.size();
    c.medianMs = periods[periods.size() / 2];
    c.p99Ms = periods[std::min(periods.size() - 1, periods.size() * 99 / 100)];
    c.worstMs = periods.back();
    return c;
}

void Wait(int ms) { QTest::qWait(ms); }

template <typename Done>
bool WaitFor(Done done, int ms) {
    return QTest::qWaitFor(done, ms);
}

struct Cadences {
    std::vector<Cadence> seen;  // by the instrument
    std::vector<Cadence> sent;  // where the requests left
};

// One run: the window with the link in its thread or in one of its own.
Cadences Run(const QString& sim, bool linkThread, std::vector<Scenario>& scenarios) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("requests.log"));
    QProcess instrument;
    instrument.start(
        sim, {"--dir", dir.path(), "--log", log, "--monotonic-log", "--start-on-signal", "max"});
    instrument.waitForStarted();
    WaitFor([&] { return QFileInfo(dir.filePath("ports/COM1")).isSymLink(); }, 5000);

    BenchInteraction ui;
    ui.pdfPath = dir.filePath(QStringLiteral("print.pdf"));
    AppSettings settings = AppSettings::Defaults();
    WriteSettingsFile(dir.filePath(QStringLiteral("Kelvaron.dat")), settings);
    std::vector<Request> sent;
    auto form = std::make_unique<TForm1>(
        FormDeps{dir.path(),
                 std::make_unique<TimedSerial>(dir.filePath(QStringLiteral("ports")), sent),
                 &ui,
                 nullptr,
                 std::nullopt,
                 {},
                 linkThread});
    form->resize(1024, 768);
    form->show();
    WaitFor([&] { return form->Readings().deviceState == 1; }, 15000);
    Wait(1000);
    const auto mark = [&](Scenario& s, auto&& act) {
        s.fromUs = NowUs();
        act();
        s.toUs = NowUs();
    };
    const auto push = [&](const char* name) -> Scenario& {
        scenarios.push_back({name});
        return scenarios.back();
    };
    const auto click = [&](const char* name) { form->findChild<QPushButton*>(name)->click(); };
    const auto trigger = [&](const char* name) { form->findChild<QAction*>(name)->trigger(); };

    mark(push("idle polling"), [] { Wait(3000); });

    // A recording runs; the instrument starts a test by itself; the question
    // whether to stop the recording stays open two seconds.
    form->ShowView(View::Recording);
    form->Recording().Session().Start();
    Wait(500);
    mark(push("question open at the instrument's start"), [&] {
        ::kill(static_cast<pid_t>(instrument.processId()), SIGUSR1);
        Wait(3500);
    });
    WaitFor([&] { return form->Results().hasMaxSpeedResult; }, 15000);
    form->Recording().Session().Finish();
    form->ShowView(View::Table);
    Wait(1000);

    // A 1 MB template, composed at the test's start and at its result.
    QByteArray line = EncodeCp1251(QStringLiteral("  Строка шаблона: #3 #4 #5 #7 #8 #0 ")) +
                      QByteArray(150, 'x') + "\r\n";
    QByteArray megabyte;
    while (megabyte.size() < (1 << 20)) megabyte += line;
    QFile templ(dir.filePath(QStringLiteral("TemplateDef.txt")));
    templ.open(QIODevice::WriteOnly);
    templ.write(megabyte);
    templ.close();
    mark(push("test start, 1 MB template"), [&] {
        click("BitBtn5");  // "МАХ.ОБ."
        WaitFor([&] { return form->Control().state == PollState::MaxSpeedTest; }, 5000);
        Wait(1000);
    });
    form->ShowView(View::Report);
    WaitFor([&] { return form->Control().state == PollState::ResultRequest; }, 15000);
    mark(push("result, 1 MB template"), [&] {
        WaitFor([&] { return form->Control().state == PollState::Polling; }, 5000);
        Wait(1000);
    });
    mark(push("report printed (PDF)"), [&] {
        click("BitBtn9");  // "Печать"
        Wait(500);
    });
    QFile::remove(templ.fileName());
    mark(push("chart printed (PDF)"), [&] {
        trigger("N13");  // "Печать графика"
        Wait(500);
    });
    mark(push("chart saved as a metafile"), [&] {
        ui.saveChoice = FileChoice{dir.filePath(QStringLiteral("Graph/bench.emf")), 2};
        trigger("N12");  // "Сохранить график"
        Wait(500);
    });
    mark(push("window resized again and again"), [&] {
        for (int i = 0; i < 60; ++i) {
            form->resize(i % 2 ? 1280 : 819, i % 2 ? 1000 : 700);
            QCoreApplication::processEvents();
            Wait(30);
        }
    });
    form->close();
    form.reset();
    instrument.terminate();
    instrument.waitForFinished(3000);

    const std::vector<Request> requests = kelvaron::testing::ReadRequestLog(log);
    Cadences cadences;
    for (const Scenario& s : scenarios) {
        cadences.seen.push_back(Measure(requests, s));
        cadences.sent.push_back(Measure(sent, s));
    }
    return cadences;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString sim = QStringLiteral(OPACIMETER_SIM_EXE);
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--sim") sim = QString::fromLocal8Bit(argv[i + 1]);

    std::vector<Scenario> before, after;
    const Cadences inWindow = Run(sim, false, before);
    const Cadences own = Run(sim, true, after);
    const auto table = [&](const char* where, const std::vector<Cadence>& a,
                           const std::vector<Cadence>& b) {
        std::printf(
            "poll period %s (ms), the link in the window's thread | in a thread of its own:\n",
            where);
        std::printf("%-42s | %6s %6s %7s %5s | %6s %6s %7s %5s\n", "scenario", "median", "p99",
                    "worst", "lost", "median", "p99", "worst", "lost");
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            std::printf("%-42s | %6.2f %6.2f %7.2f %5d | %6.2f %6.2f %7.2f %5d\n", before[i].name,
                        a[i].medianMs, a[i].p99Ms, a[i].worstMs, a[i].ticksLost, b[i].medianMs,
                        b[i].p99Ms, b[i].worstMs, b[i].ticksLost);
    };
    table("as the instrument saw it", inWindow.seen, own.seen);
    table("as the program sent the requests", inWindow.sent, own.sent);
    return 0;
}
