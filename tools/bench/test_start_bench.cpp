// kelvaron-test-start-bench: what the report costs at the start of a test. Every
// test start clears the chart and composes the report again (so the report shows
// the cleared peaks), and so does the arrival of the result; with a large report
// template that composition runs on the user-interface thread, inside the
// operator's key press or inside a poll tick.
//
// The real main window on the offscreen platform, its poll ticks run by hand on
// the simulated instrument's clock (as kelvaron-tick-bench does), with the
// built-in template and with a 1 MB template of lines full of codes:
// - the operator's start, "СВ.УСК." (F6): the time of the key's handler;
// - the instrument's own start: the ticks that take it up, until the test state;
// - the whole test to its result: the worst tick, and the tick the result is in.
#include "app/command_bars.h"
#include "app/main_window.h"
#include "report/report_template.h"
#include "testing/fake_port.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace kelvaron;

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A window in its own folder with `templateBytes` as its template (the built-in
// one when empty), polling `instrument` on COM1 on a clock moved by hand.
struct Station {
    QTemporaryDir dir;
    testing::FakeClock clock;
    testing::ScriptedInteraction messages;
    std::unique_ptr<TForm1> form;

    Station(sim::Opacimeter& instrument, const QByteArray& templateBytes) {
        if (!templateBytes.isEmpty()) {
            QFile file(dir.filePath(kTemplateFileName));
            file.open(QIODevice::WriteOnly);
            file.write(templateBytes);
        }
        AppSettings settings = AppSettings::Defaults();
        settings.setConnectAtStart(0);
        WriteSettingsFile(dir.filePath("Kelvaron.dat"), settings);
        auto port = std::make_unique<testing::FakePort>(clock);
        port->AddInstrument(1, instrument);
        form = std::make_unique<TForm1>(
            FormDeps{dir.path(), std::move(port), &messages, nullptr, QSize(1920, 1080),
                     QLocale(QLocale::Russian, QLocale::Russia), false});
        form->resize(819, 700);
        form->show();
        QApplication::processEvents();
        form->Bottom().connectButton->click();          // the search opens COM1
        const_cast<QTimer&>(form->PollTimer()).stop();  // the ticks are run here
        for (int i = 0; i < 200 && form->Readings().deviceState != 1; ++i) Tick();
    }
    // One poll tick 20 ms later on the instrument's clock; its handler's time in ms.
    double Tick() {
        clock.nowUs += 20'000;
        QElapsedTimer t;
        t.start();
        form->Timer2Timer();
        const double ms = t.nsecsElapsed() / 1e6;
        QApplication::processEvents();
        return ms;
    }
};

void Run(const char* title, const QByteArray& templateBytes) {
    // The operator's start: the handler of "СВ.УСК.", pressed once, then ten more
    // times (the report then composes to the same lines).
    double firstPressMs = 0, pressMs = 0;
    {
        sim::Opacimeter instrument;
        Station s(instrument, templateBytes);
        std::vector<double> presses;
        for (int i = 0; i < 11; ++i) {
            QElapsedTimer t;
            t.start();
            s.form->Status().freeAccelerationButton->click();
            presses.push_back(t.nsecsElapsed() / 1e6);
        }
        firstPressMs = presses.front();
        pressMs = Median(std::vector<double>(presses.begin() + 1, presses.end()));
    }
    // The instrument's own start, then the whole test to its result.
    sim::Opacimeter instrument(
        sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 4'000'000});
    Station s(instrument, templateBytes);
    std::vector<double> startTicks;
    double worstMs = 0, resultMs = 0;
    int ticks = 0;
    while (ticks < 5000 && s.form->Results().freeAccelMeanX10 == 0) {
        const bool polling = s.form->Control().state == PollState::Polling;
        const double ms = s.Tick();
        ++ticks;
        worstMs = std::max(worstMs, ms);
        // A tick of the polling state that saw the instrument measuring took up its start.
        if (polling && s.form->Readings().deviceState == 2) startTicks.push_back(ms);
        if (s.form->Results().freeAccelMeanX10 != 0) resultMs = ms;
    }
    double startSum = 0;
    for (double ms : startTicks) startSum += ms;
    std::printf("%s:\n", title);
    std::printf("  operator's start (F6): %.2f ms the first press, %.2f ms the median of 10 more\n",
                firstPressMs, pressMs);
    std::printf("  instrument's own start: %zu polling ticks see it measuring, %.2f ms in all:",
                startTicks.size(), startSum);
    for (double ms : startTicks) std::printf(" %.2f", ms);
    std::printf("\n");
    std::printf(
        "  the test to its result: %d ticks, the worst %.2f ms, the result's tick %.2f ms\n", ticks,
        worstMs, resultMs);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    Run("built-in template", {});
    constexpr qsizetype kMegabyte = 1 << 20;
    const QByteArray line = "  #1 #3 #4 #5 #7 #8 #9 1#F #0 #A #C #B ##\r\n";
    QByteArray manyLines;
    while (manyLines.size() + line.size() <= kMegabyte) manyLines += line;
    Run("1 MB template, lines of codes", manyLines);
    return 0;
}
