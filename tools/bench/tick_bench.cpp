// kelvaron-tick-bench: what one poll tick costs in the real main window: 10 s of
// polling with the live panel showing, then a whole free-acceleration test that
// the simulated instrument starts itself, with the measurement chart drawing.
// The instrument answers within a tick; the clock is moved by hand, so the run
// is the same every time. Each tick also takes its 20 ms of real time, as the
// live panel paints in frames of real time.
//
// It prints the handler time of a tick (reading, frames, requests, live panel,
// chart points) and, apart from it, the time the event loop then takes to paint.
// The window's size may be given as WIDTHxHEIGHT (819x700 by default).
#include "app/command_bars.h"
#include "app/main_window.h"
#include "app/right_column.h"
#include "testing/fake_port.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelvaron;

namespace {

struct Stats {
    double median, p99, worst;
};

Stats Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 99 / 100], v.back()};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    testing::FakeClock clock;
    testing::ScriptedInteraction messages;
    sim::Opacimeter instrument(
        sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 10'000'000});
    auto port = std::make_unique<testing::FakePort>(clock);
    port->AddInstrument(1, instrument);
    testing::FakePort* ports = port.get();

    AppSettings settings = AppSettings::Defaults();
    settings.setConnectAtStart(0);
    WriteSettingsFile(dir.filePath("Kelvaron.dat"), settings);
    TForm1 form(
        FormDeps{dir.path(), std::move(port), &messages, nullptr, QSize(1920, 1080), {}, false});
    const QStringList size =
        QString::fromLatin1(argc > 1 ? argv[1] : "819x700").split(QLatin1Char('x'));
    form.resize(size.value(0).toInt(), size.value(1).toInt());
    form.show();
    app.processEvents();
    form.Bottom().connectButton->click();  // the search opens COM1
    // The bench runs the ticks itself, on its own clock: the window's timer stays still.
    const_cast<QTimer&>(form.PollTimer()).stop();

    std::vector<double> tickUs, paintUs, pollingTickUs, pollingPaintUs;
    int ticks = 0;
    QElapsedTimer t;
    // Run until the result is in: about 25 s of the instrument's time.
    while (ticks < 5000 && form.Results().freeAccelMeanX10 == 0) {
        clock.nowUs += 20'000;
        const QDeadlineTimer tickEnd(poll_timing::kTickMs);
        t.start();
        form.Timer2Timer();
        tickUs.push_back(t.nsecsElapsed() / 1000.0);
        const bool polling = form.Control().state == PollState::Polling &&
                             form.Column().viewList->currentRow() == 0 && ticks > 20;
        if (polling) pollingTickUs.push_back(tickUs.back());
        t.start();
        app.processEvents();
        paintUs.push_back(t.nsecsElapsed() / 1000.0);
        if (polling) pollingPaintUs.push_back(paintUs.back());
        QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, tickEnd.remainingTime())));
        ++ticks;
    }
    int samples = 0;
    for (int m = 1; m <= 6; ++m)
        samples += static_cast<int>(form.MeasurementChart3().Curve(m)->count());
    int speedRequests = 0;
    int64_t firstSpeed = -1, lastSpeed = 0;
    for (const auto& f : ports->SentFrames())
        if (f.code == 7) {
            ++speedRequests;
            if (firstSpeed < 0) firstSpeed = f.timeUs;
            lastSpeed = f.timeUs;
        }

    const Stats tick = Summarise(tickUs), paint = Summarise(paintUs);
    // The slowest ticks, and which they were.
    std::vector<int> order(tickUs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return tickUs[a] > tickUs[b]; });
    std::printf("slowest ticks:");
    for (int i = 0; i < 5; ++i) std::printf(" #%d %.0f us", order[i], tickUs[order[i]]);
    std::printf("\n");
    std::printf("ticks run: %d (%.1f s of instrument time)\n", ticks, ticks * 0.02);
    std::printf("free-acceleration result: mean %d, validity %d\n", form.Results().freeAccelMeanX10,
                form.Results().freeAccelValidity);
    const Stats polling = Summarise(pollingTickUs);
    std::printf(
        "poll tick handler while polling, live panel showing (%zu ticks): median %.1f us, "
        "p99 %.1f us, worst %.1f us\n",
        pollingTickUs.size(), polling.median, polling.p99, polling.worst);
    double paintSum = 0;
    for (double us : pollingPaintUs) paintSum += us;
    std::printf(
        "event loop after a tick while polling (painting the live panel): mean %.1f us, "
        "%.1f ms a second\n",
        paintSum / pollingPaintUs.size(), paintSum / pollingPaintUs.size() * 50 / 1000);
    std::printf("poll tick handler, whole run: median %.1f us, p99 %.1f us, worst %.1f us\n",
                tick.median, tick.p99, tick.worst);
    std::printf("event loop after a tick (painting): median %.1f us, p99 %.1f us, worst %.1f us\n",
                paint.median, paint.p99, paint.worst);
    std::printf(
        "speed requests (one sample each): %d over %.2f s = %.1f per second; points drawn: %d\n",
        speedRequests, (lastSpeed - firstSpeed) / 1e6,
        speedRequests / ((lastSpeed - firstSpeed) / 1e6), samples);
    return 0;
}
