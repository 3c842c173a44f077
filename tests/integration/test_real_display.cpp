// What the operator sees, on a real X display: the built program and the
// simulator under Xvfb with the xcb platform, as a station runs them, at three
// window sizes side by side. The screen's own pixels are read back and checked:
// digits in each of the four large value boxes, the bar of the small chart, the
// chart title readable against its background, and the result line of a test
// the instrument starts itself lying whole inside the measurement chart.
//
// Where each element lies comes from the window's layout rule, the same pure
// function the program uses; the client area's top (below the menu bar) is
// found on the screen by the black top edge of the K value box.
#include "../support/x_session.h"
#include "base/colors.h"
#include "base/layout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

constexpr int kScreenWidth = 1480;
constexpr int kScreenHeight = 1730;
constexpr int kSelfStartS = 15;  // the instrument starts its test this long after it is up

const QColor kYellow(255, 255, 0);    // the value boxes' digits (the default settings)
const QColor kBar(0xD0, 0x20, 0x20);  // the small chart's bar
const QColor kGreen(0, 128, 0);       // a valid result line
const QColor kRed(255, 0, 0);         // an invalid one

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int CountNear(const QImage& image, const QRect& rect, const QColor& color, int tolerance) {
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Near(image.pixelColor(x, y), color, tolerance)) ++count;
    return count;
}

// One program window: its folder, settings, simulator and place on the screen.
struct Window {
    QString name;
    QPoint position;
    QSize size;  // outer size; without a window manager the window has no frame
    int chartQuantity = 0;
    int32_t chartBackColor = 0;
    QString outcome;  // of the test the instrument starts
    QColor lineColor;

    QTemporaryDir dir;
    QProcess sim;
    QProcess app;
    MainWindowLayout layout;
    QPoint client;  // the client area's top left on the screen

    QRect OnScreen(QRect r, const QPoint& parent) const { return r.translated(client + parent); }
    QRect ValueBox(int row) const {
        const QRect rowRect = layout.rows[static_cast<size_t>(row)];
        return OnScreen(layout.rowBoxes.value, layout.panel4.topLeft() + rowRect.topLeft());
    }
    QRect Chart4() const { return OnScreen(layout.chart4, layout.panel4.topLeft()); }
    QRect Chart3() const { return OnScreen(layout.chart3, layout.panel11.topLeft()); }
};

// The settings record of the defaults, with this window's place, size and chart.
QByteArray SettingsFor(const Window& w) {
    QByteArray bytes(320, '\0');
    const auto put = [&](int offset, int32_t value) {
        for (int k = 0; k < 4; ++k)
            bytes[offset + k] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * k)) & 0xFF);
    };
    put(4, 1);  // connect at start
    put(12, 1);
    put(16, 1);
    put(20, w.chartQuantity);
    put(28, 1);
    put(32, 2);
    put(36, w.chartBackColor);
    for (int offset : {64, 72, 80, 88}) put(offset, 0x0000FFFF);  // yellow on black
    put(100, 0x00C0DCC0);
    put(132, w.position.y());
    put(136, w.position.x());
    put(140, w.size.height());
    put(144, w.size.width());
    put(152, 1);
    return bytes;
}

// Of the text pixels of `rect` (those that differ from the background): how many
// there are, and how many stand against it at a contrast of 4.5 : 1 or more
// (the solid cores of the letters; their smoothed edges blend into the
// background and may stand lower).
std::pair<int, int> ReadablePixels(const QImage& image, const QRect& rect, const QColor& back) {
    int text = 0, readable = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (Near(c, back, 40)) continue;
            ++text;
            if (ContrastRatio(c, back) >= 4.5) ++readable;
        }
    return {text, readable};
}

}  // namespace

class RealDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void operatorSeesEveryReadingTheBarAndAWholeResultLineAtThreeSizes() {
        if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            QSKIP("ImageMagick's import is not installed: no way to read the screen back");
        testing::XDisplay display;
        if (!display.Start(kScreenWidth, kScreenHeight))
            QSKIP("Xvfb could not start here: the real-display test is skipped");

        std::array<std::unique_ptr<Window>, 3> windows;
        const auto make = [](QString name, QPoint pos, QSize size, int quantity, int32_t back,
                             QString outcome, QColor line) {
            auto w = std::make_unique<Window>();
            w->name = name;
            w->position = pos;
            w->size = size;
            w->chartQuantity = quantity;
            w->chartBackColor = back;
            w->outcome = outcome;
            w->lineColor = line;
            return w;
        };
        // K on black, N on white with the longest red line, K on a mid grey.
        windows[0] = make("638x478", {0, 0}, {638, 478}, 0, 0x000000, "valid", kGreen);
        windows[1] = make("819x700", {650, 0}, {819, 700}, 1, 0xFFFFFF, "decreasing", kRed);
        windows[2] = make("1280x1000", {0, 720}, {1280, 1000}, 0, 0x808080, "valid", kGreen);

        const int menuBar = MenuBarHeight();
        for (auto& w : windows) {
            QVERIFY(w->dir.isValid());
            QFile settings(w->dir.filePath("Kelvaron.dat"));
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write(SettingsFor(*w));
            settings.close();
            QVERIFY(QFile::copy(KELVARON_EXE, w->dir.filePath("kelvaron")));
            w->sim.start(OPACIMETER_SIM_EXE,
                         {"--dir", w->dir.path(), "--port", "1", "--idle-smoke", "25", "--outcome",
                          w->outcome, "--self-start", QStringLiteral("free@%1").arg(kSelfStartS),
                          "--duration", "120"});
            QVERIFY(w->sim.waitForStarted());
            QVERIFY(QTest::qWaitFor(
                [&] { return QFileInfo(w->dir.filePath("ports/COM1")).isSymLink(); }, 5000));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", display.Name());
            env.insert("QT_QPA_PLATFORM", "xcb");
            env.insert("LANG", "ru_RU.UTF-8");
            w->app.setProcessEnvironment(env);
            w->app.setWorkingDirectory(QDir::rootPath());
            w->app.start(w->dir.filePath("kelvaron"), {});
            QVERIFY(w->app.waitForStarted());

            LayoutInput in;
            in.clientWidth = w->size.width();
            in.clientHeight = w->size.height() - menuBar;
            in.boxHeight = BoxHeight;
            w->layout = LayoutMainWindow(in);
            w->client = w->position + QPoint(0, menuBar);
        }

        // The live panel, before the instrument starts its test: every box shows
        // digits, and the bar stands at the idle smoke of 25 %.
        const auto liveShown = [&](const QImage& screen, const Window& w, QString* why) {
            for (int row = 0; row < 4; ++row) {
                const QRect box = w.ValueBox(row).adjusted(4, 4, -4, -4);
                const int digits = CountNear(screen, box, kYellow, 60);
                if (digits < box.width() * box.height() / 60) {
                    *why = QStringLiteral("%1: %2 digit pixels in value box %3 at %4,%5 %6x%7")
                               .arg(w.name)
                               .arg(digits)
                               .arg(row)
                               .arg(box.x())
                               .arg(box.y())
                               .arg(box.width())
                               .arg(box.height());
                    return false;
                }
            }
            const int bar = CountNear(screen, w.Chart4(), kBar, 40);
            if (bar < 60) {
                *why = QStringLiteral("%1: %2 bar pixels in Chart4").arg(w.name).arg(bar);
                return false;
            }
            return true;
        };
        QImage screen;
        QString why;
        const bool live = QTest::qWaitFor(
            [&] {
                screen = display.Grab();
                for (auto& w : windows)
                    if (!liveShown(screen, *w, &why)) return false;
                return true;
            },
            (kSelfStartS - 3) * 1000);
        if (!live) screen.save(QDir::temp().filePath("kelvaron-real-display-live.png"));
        QVERIFY2(live, qPrintable(why));

        // The test the instrument started ends in a result line under the chart.
        const auto resultShown = [&](const QImage& shot, const Window& w, QString* reason) {
            const QRect chart = w.Chart3();
            const QRect foot(chart.left(), chart.top() + chart.height() * 4 / 5, chart.width(),
                             chart.height() / 5);
            const int line = CountNear(shot, foot, w.lineColor, 50);
            if (line < 150) {
                *reason = QStringLiteral("%1: %2 pixels of the result line").arg(w.name).arg(line);
                return false;
            }
            return true;
        };
        const bool results = QTest::qWaitFor(
            [&] {
                screen = display.Grab();
                for (auto& w : windows)
                    if (!resultShown(screen, *w, &why)) return false;
                return true;
            },
            60'000);
        if (!results) screen.save(QDir::temp().filePath("kelvaron-real-display-chart.png"));
        QVERIFY2(results, qPrintable(why));

        for (auto& w : windows) {
            const QRect chart = w->Chart3();
            // The line lies whole inside the chart: none of it below the chart's
            // lower edge, and its ends clear of the chart's sides.
            const QRect below(chart.left() - 20, chart.bottom() + 1, chart.width() + 40,
                              w->layout.panel12.height());
            QCOMPARE(CountNear(screen, below, w->lineColor, 50), 0);
            int left = chart.right(), right = chart.left();
            const QRect band = QRect(chart.left() - 20, chart.top() + chart.height() * 4 / 5,
                                     chart.width() + 40, chart.height() / 5)
                                   .intersected(screen.rect());
            for (int y = band.top(); y <= band.bottom(); ++y)
                for (int x = band.left(); x <= band.right(); ++x)
                    if (Near(screen.pixelColor(x, y), w->lineColor, 50)) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            QVERIFY2(left > chart.left() + 1 && right < chart.right() - 1,
                     qPrintable(QStringLiteral("%1: line from %2 to %3, chart %4..%5")
                                    .arg(w->name)
                                    .arg(left)
                                    .arg(right)
                                    .arg(chart.left())
                                    .arg(chart.right())));

            // The title reads against the background: its letters are drawn in a
            // colour that stands at 4.5 : 1 or more.
            const QColor back = ColorFromRef(w->chartBackColor);
            const QRect title(chart.left() + chart.width() / 10, chart.top() + 2,
                              chart.width() * 8 / 10, chart.height() / 8);
            const auto [count, readable] = ReadablePixels(screen, title, back);
            QVERIFY2(count > 100 && readable > count / 5,
                     qPrintable(QStringLiteral("%1: %2 title pixels, %3 of them readable")
                                    .arg(w->name)
                                    .arg(count)
                                    .arg(readable)));
        }

        for (auto& w : windows) {
            w->app.terminate();
            w->app.waitForFinished(5000);
            w->sim.terminate();
            w->sim.waitForFinished(5000);
        }
    }
};

QTEST_MAIN(RealDisplayTest)
#include "test_real_display.moc"
