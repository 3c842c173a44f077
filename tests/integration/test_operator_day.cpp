// The operator's whole day, with the built program and the simulator on a real X
// display, driven only by keys and clicks as an operator drives it: the program
// started in an empty folder finds the instrument, sets zero, runs a
// free-acceleration test; the header is typed with the keyboard, a norm is
// added; the report is saved and printed to a PDF; the chart is saved as a
// bitmap and as a metafile; a recording runs when the instrument starts a
// maximum-speed test itself (the stop question answered Cancel, then OK); an
// option is changed; the program is closed and started again. Each step checks
// what the operator gets: the instrument's requests, the files byte for byte
// where they are fixed, the PDF's text, the settings, station and norms files.
#include "../support/x_session.h"
#include "base/layout.h"
#include "base/text_codec.h"
#include "testing/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

constexpr QSize kWindow(638, 478);  // the first start: the default window at 0,0

QStringList FileLines(const QString& path) {
    QString text = DecodeCp1251(FileBytes(path));
    if (text.endsWith(QLatin1String("\r\n"))) text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

int32_t Field(const QByteArray& settings, int offset) {
    return static_cast<int32_t>(
        static_cast<quint8>(settings[offset]) | static_cast<quint8>(settings[offset + 1]) << 8 |
        static_cast<quint8>(settings[offset + 2]) << 16 |
        static_cast<quint32>(static_cast<quint8>(settings[offset + 3])) << 24);
}

// The requests the simulator logged, in order.
QList<int> Requests(const QString& log) {
    QList<int> codes;
    for (const QByteArray& line : FileBytes(log).split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() == 2) codes << f[1].toInt();
    }
    return codes;
}

// The program and the simulator in one folder on one display.
class Station {
public:
    Station(XDisplay& display, QTemporaryDir& dir) : x_(display), dir_(dir) {
        LayoutInput in;
        in.clientWidth = kWindow.width();
        in.clientHeight = kWindow.height() - MenuBarHeight();
        in.boxHeight = BoxHeight;
        layout_ = LayoutMainWindow(in);
        client_ = QPoint(0, MenuBarHeight());
    }
    ~Station() { Stop(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    const MainWindowLayout& layout() const { return layout_; }
    QString Log() const { return Path("requests.log"); }

    bool StartSimulator() {
        sim_.start(OPACIMETER_SIM_EXE, {"--dir", dir_.path(), "--port", "1", "--log", Log(),
                                        "--start-on-signal", "max"});
        return sim_.waitForStarted() &&
               QTest::qWaitFor([&] { return QFileInfo(Path("ports/COM1")).isSymLink(); }, 5000);
    }
    bool StartProgram() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", x_.Name());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("LANG", "ru_RU.UTF-8");
        env.insert("HOME", Path("home"));  // where a printed PDF goes
        app_.setProcessEnvironment(env);
        app_.setWorkingDirectory(QDir::rootPath());
        app_.start(Path("kelvaron"), {});
        if (!app_.waitForStarted()) {
            startProblem_ = "the program did not start: " + app_.errorString();
            return false;
        }
        if (QTest::qWaitFor([&] { return !x_.Windows("KELVARON").isEmpty(); }, 20000)) return true;
        // What the operator had instead: the screen, and the program's end if it ended.
        x_.Grab().save(QDir::temp().filePath(QStringLiteral("kelvaron-day-no-window.png")));
        const QStringList titles = x_.Windows(QStringLiteral(".+"));
        startProblem_ = QStringLiteral("no window \"KELVARON\" in 20 s; %1 window(s) shown; ")
                            .arg(titles.size());
        if (app_.state() == QProcess::NotRunning)
            startProblem_ +=
                QStringLiteral("the program ended (%1, exit code %2): %3")
                    .arg(app_.exitStatus() == QProcess::CrashExit ? "crashed" : "exited")
                    .arg(app_.exitCode())
                    .arg(QString::fromLocal8Bit(app_.readAllStandardError()));
        else
            startProblem_ +=
                "the program runs: " + QString::fromLocal8Bit(app_.readAllStandardError());
        return false;
    }
    QString StartProblem() const { return startProblem_; }
    bool WaitForExit() { return app_.waitForFinished(20000); }
    void Stop() {
        if (app_.state() != QProcess::NotRunning) {
            app_.kill();
            app_.waitForFinished();
        }
        if (sim_.state() != QProcess::NotRunning) {
            sim_.terminate();
            sim_.waitForFinished();
        }
    }
    void SignalInstrument() { ::kill(static_cast<pid_t>(sim_.processId()), SIGUSR1); }

    // Waits until the simulator has seen request `code` at least `count` times.
    bool WaitForRequest(int code, int count = 1, int ms = 20000) {
        return QTest::qWaitFor([&] { return Requests(Log()).count(code) >= count; }, ms);
    }

    // The main window and the windows it opens.
    QString Main() const { return x_.Windows("KELVARON").value(0); }
    void FocusMain() const { x_.Focus(Main()); }
    // Waits for a window titled `title` other than the main window, and focuses it.
    QString WaitForWindow(const QString& title) const {
        QString found;
        const bool up = QTest::qWaitFor(
            [&] {
                for (const QString& w : x_.Windows(title))
                    if (w != Main()) found = w;
                return !found.isEmpty();
            },
            10000);
        if (up)
            x_.Focus(found);
        else  // what the operator had on screen instead
            x_.Grab().save(
                QDir::temp().filePath(QStringLiteral("kelvaron-day-missing-window.png")));
        return found;
    }
    bool WaitUntilClosed(const QString& window) const {
        return QTest::qWaitFor(
            [&] {
                const QStringList open = x_.Windows(QStringLiteral(".*"));
                // (a window that is gone has no title to match)
                return !open.contains(window);
            },
            10000);
    }

    // Where the operator clicks.
    QPoint ColumnButton(int i) const {
        return client_ + layout_.panel3.topLeft() +
               layout_.columnButtons[static_cast<size_t>(i)].center();
    }
    QPoint ViewEntry(int row) const {
        const QRect list = layout_.listBox1;
        const int item = std::max(layout_.listItemHeight, 17);
        return client_ + layout_.panel3.topLeft() +
               QPoint(list.center().x(), list.top() + 3 + item * row + item / 2);
    }
    QPoint ExitButton() const {
        return client_ + layout_.panel1.topLeft() + layout_.bitBtn3.center();
    }
    QPoint FileMenu() const { return QPoint(24, MenuBarHeight() / 2); }

private:
    XDisplay& x_;
    QTemporaryDir& dir_;
    QProcess sim_;
    QProcess app_;
    QString startProblem_;
    MainWindowLayout layout_;
    QPoint client_;
};

}  // namespace

class OperatorDayTest : public QObject {
    Q_OBJECT

private slots:
    void aWholeDayAtTheStation() {
        for (const char* tool : {"import", "xdotool", "pdftotext"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        XDisplay x;
        if (!x.Start(1280, 1024)) QSKIP("Xvfb could not start here: the day is skipped");
        QTemporaryDir dir;
        // KELVARON_KEEP_DAY=1 keeps the station's folder (files, logs) to look at.
        if (qEnvironmentVariableIntValue("KELVARON_KEEP_DAY") == 1) {
            dir.setAutoRemove(false);
            qInfo("the station's folder is kept: %s", qPrintable(dir.path()));
        }
        QVERIFY(QDir().mkpath(dir.filePath("home")));
        QVERIFY(QFile::copy(KELVARON_EXE, dir.filePath("kelvaron")));
        Station s(x, dir);

        // 1. An empty folder: the program makes its folders, finds the instrument
        //    on its own and polls it.
        QVERIFY(s.StartSimulator());
        QVERIFY2(s.StartProgram(), qPrintable(s.StartProblem()));
        QVERIFY(s.WaitForRequest(10, 3));
        QCOMPARE(Requests(s.Log()).value(0), 14);  // identified first
        for (const char* folder : {"Text", "Graph", "Output"})
            QVERIFY(QFileInfo(s.Path(folder)).isDir());

        // 2. Zero (F8), then a free-acceleration test (F6) to its result.
        s.FocusMain();
        x.Keys({"F8"});
        QVERIFY(s.WaitForRequest(1));
        QVERIFY(s.WaitForRequest(10, Requests(s.Log()).count(10) + 15));  // the zero is over
        s.FocusMain();
        x.Keys({"F6"});
        QVERIFY(s.WaitForRequest(2));
        QVERIFY(s.WaitForRequest(15, 1, 60000));  // the result is asked for
        QTest::qWait(1000);

        // 3. The header with the keyboard alone: Enter moves on; "Изменить" unlocks
        //    the station lines. The texts are Latin: xdotool types a letter missing
        //    from the X keymap by remapping a key for it, which a loaded machine can
        //    lose; Cyrillic typing is covered by the dialogs' own tests.
        s.FocusMain();
        x.Keys({"F11"});
        QVERIFY(!s.WaitForWindow(QStringLiteral("Оформление данных")).isEmpty());
        x.Type(QStringLiteral("A123AA"));
        x.Keys({"Return"});
        x.Type(QStringLiteral("KAMAZ"));
        x.Keys({"Return"});
        x.Type(QStringLiteral("Ivanov"));
        x.Keys({"Return"});
        x.Type(QStringLiteral("trailer"));
        x.Keys({"Return", "Down", "Tab", "Tab", "Tab", "space"});  // "ГОДЕН"; "Изменить"
        x.Keys({"ctrl+a"});
        x.Type(QStringLiteral("PTO 1 Kelvaron-servis"));
        x.Keys({"Return", "ctrl+a"});
        x.Type(QStringLiteral("Zarechnaya, 5"));
        x.Keys({"Return", "Return"});  // on to "ОК", and press it

        // 4. A norm typed and added in "Нормы".
        x.Click(s.ColumnButton(5));
        QVERIFY(!s.WaitForWindow(QStringLiteral("Нормы")).isEmpty());
        x.Keys({"Tab", "ctrl+a"});
        x.Type(QStringLiteral(" 3,5 m-1"));
        x.Keys(
            {"Tab", "Tab", "Tab", "space", "shift+Tab", "shift+Tab", "space"});  // "Добавить", "ОК"
        QVERIFY(
            QTest::qWaitFor([&] { return x.Windows(QStringLiteral("Нормы")).isEmpty(); }, 5000));
        QCOMPARE(FileBytes(s.Path("norma.txt")),
                 EncodeCp1251(QStringLiteral("    по ГОСТ без наддува:   2,5  м-1\r\n"
                                             "    по ГОСТ с наддувом:    3,0  м-1\r\n"
                                             " 3,5 m-1\r\n")));

        // 5. The report (F4), saved under the suggested name in "Text".
        s.FocusMain();
        x.Keys({"F4"});
        x.Click(s.ColumnButton(0));  // "Сохранить"
        QVERIFY(!s.WaitForWindow(QStringLiteral(".*ОТЧЕТА")).isEmpty());
        x.Keys({"Return"});
        QStringList saved;
        QVERIFY(QTest::qWaitFor(
            [&] {
                saved = QDir(s.Path("Text")).entryList({QStringLiteral("*.txt")});
                return saved.size() == 1;
            },
            5000));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^A123AA_Ivanov_\\d\\d-\\d\\d_\\d\\d-\\d\\d\\.txt$"))
                .match(saved[0])
                .hasMatch(),
            qPrintable(saved[0]));
        const QStringList report = FileLines(s.Path("Text/" + saved[0]));
        QCOMPARE(report.size(), 29);
        QCOMPARE(report[1], QStringLiteral("  PTO 1 Kelvaron-servis"));
        QCOMPARE(report[2], QStringLiteral("  Zarechnaya, 5"));
        QCOMPARE(report[4], QStringLiteral("     № автомобиля:  A123AA       VIN:   "));
        QCOMPARE(
            report[6],
            QStringLiteral("     Марка:         KAMAZ       Владелец:      Ivanov       trailer"));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^                   Дата:   \\d\\d\\.\\d\\d\\.\\d{4}     "
                                    "Время:  \\d?\\d:\\d\\d:\\d\\d$"))
                     .match(report[8])
                     .hasMatch(),
                 qPrintable(report[8]));
        QCOMPARE(report[13], QStringLiteral("      K = 1,353 м-1 ,   Ср.дымность N = 44,1 % "));
        for (int n = 1; n <= 6; ++n)
            QVERIFY2(
                QRegularExpression(
                    QStringLiteral("^    %1         \\d,\\d{3} +\\d\\d,\\d +0,0 +\\d{4} +$").arg(n))
                    .match(report[15 + n])
                    .hasMatch(),
                qPrintable(report[15 + n]));
        QCOMPARE(report[26], QStringLiteral("  Нормы:    3,5 m-1"));
        QCOMPARE(report[28],
                 QStringLiteral("   Решение по автомобилю :   ГОДЕН              Подпись:"));

        // 6. Printed (F10) to a PDF: its text is the report's.
        s.FocusMain();
        x.Keys({"F10"});
        QVERIFY(!s.WaitForWindow(QStringLiteral(".+")).isEmpty());
        x.Keys({"Return"});
        const QString pdf = s.Path("home/print.pdf");
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 1000; }, 10000));
        QTest::qWait(500);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(20000));
        QStringList printed;
        for (const QString& line : QString::fromUtf8(text.readAllStandardOutput()).split('\n'))
            if (!line.trimmed().isEmpty()) printed << line.trimmed();
        QStringList expected;
        for (const QString& line : report)
            if (!line.trimmed().isEmpty()) expected << line.trimmed().simplified();
        for (QString& line : printed) line = line.simplified();
        QCOMPARE(printed, expected);

        // 7. The chart as a bitmap, then as a metafile ("Файл" → "Сохранить график").
        for (const char* type : {"bmp", "emf"}) {
            x.Click(s.FileMenu());
            x.Keys({"Down", "Down", "Return"});
            QVERIFY(!s.WaitForWindow(QStringLiteral(".*ГРАФИКА")).isEmpty());
            x.Keys({"ctrl+a"});
            x.Type(QStringLiteral("day"));
            if (QByteArray(type) == "emf") x.Keys({"Tab", "Down"});  // "Метафайлы (*.emf)"
            x.Keys({"Return"});
            const QString picture = s.Path(QStringLiteral("Graph/day.%1").arg(type));
            QVERIFY2(QTest::qWaitFor([&] { return QFileInfo(picture).size() > 100; }, 10000), type);
        }
        const QByteArray bmp = FileBytes(s.Path("Graph/day.bmp"));
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(Field(bmp, 18), s.layout().chart3.width());
        const QByteArray emf = FileBytes(s.Path("Graph/day.emf"));
        QCOMPARE(Field(emf, 40), 0x464D4520);  // " EMF"
        QCOMPARE(Field(emf, 48), static_cast<int32_t>(emf.size()));

        // 8. A recording every 100 ms in "Запись"; the instrument starts a
        //    maximum-speed test itself: the stop question, Cancel keeps the
        //    recording and asks again, OK stops it and the test runs on.
        x.Click(s.ViewEntry(3));
        x.Keys({"Tab", "Tab", "Tab", "ctrl+a"});
        x.Type(QStringLiteral("100"));
        x.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "space"});  // " Начать"
        QStringList recordings;
        QVERIFY(QTest::qWaitFor(
            [&] {
                recordings = QDir(s.Path("Output")).entryList({QStringLiteral("Kel_*.txt")});
                return recordings.size() == 1 &&
                       FileLines(s.Path("Output/" + recordings[0])).size() > 5;
            },
            10000));
        s.SignalInstrument();
        QString question = s.WaitForWindow(QStringLiteral("KELVARON"));
        QVERIFY(!question.isEmpty());
        x.Keys({"Escape"});  // Cancel: the recording goes on
        QVERIFY(s.WaitUntilClosed(question));
        const int rowsAtCancel = FileLines(s.Path("Output/" + recordings[0])).size();
        question = s.WaitForWindow(QStringLiteral("KELVARON"));  // asked again
        QVERIFY(!question.isEmpty());
        QVERIFY(FileLines(s.Path("Output/" + recordings[0])).size() >= rowsAtCancel);
        x.Keys({"Return"});  // OK: the recording stops
        QVERIFY(s.WaitForRequest(3));
        QVERIFY(s.WaitForRequest(16, 1, 30000));  // the maximum-speed result
        const QStringList rows = FileLines(s.Path("Output/" + recordings[0]));
        QVERIFY(rows[0].startsWith(
            QStringLiteral("K(m-1)\tN(%)\tTkam\tTos\tВремя\tКоммент.\tИнтервал=")));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\d,\\d\\d\t\\d+,\\d\t0,0\t0,0\t\\d?\\d:\\d\\d:\\d\\d\t$"))
                     .match(rows[1])
                     .hasMatch(),
                 qPrintable(rows[1]));
        QTest::qWait(500);
        QCOMPARE(FileLines(s.Path("Output/" + recordings[0])), rows);  // finished: no row more

        // 9. Options (F5): N on the chart, lines 4 pixels wide; then "Выход".
        s.FocusMain();
        x.Keys({"F5"});
        QVERIFY(!s.WaitForWindow(QStringLiteral("Опции")).isEmpty());
        x.Keys({"ctrl+Tab", "Tab", "Down", "Tab", "ctrl+a", "4", "Return"});
        QVERIFY(
            QTest::qWaitFor([&] { return x.Windows(QStringLiteral("Опции")).isEmpty(); }, 5000));
        x.Click(s.ExitButton());
        QVERIFY(s.WaitForExit());

        const QByteArray settings = FileBytes(s.Path("Kelvaron.dat"));
        QCOMPARE(settings.size(), 320);
        QCOMPARE(Field(settings, 20), 1);     // chartQuantity: N
        QCOMPARE(Field(settings, 32), 4);     // lineWidth
        QCOMPARE(Field(settings, 40), 2);     // normIndex: the norm added
        QCOMPARE(Field(settings, 44), 2);     // graphSaveFilter: the metafile chosen last
        QCOMPARE(Field(settings, 152), 100);  // recordInterval
        QCOMPARE(Field(settings, 144), kWindow.width());
        QCOMPARE(Field(settings, 140), kWindow.height());
        const QByteArray station = FileBytes(s.Path("Kelvaron.sto"));
        QCOMPARE(station.size(), 130);
        QCOMPARE(DecodeCp1251(station.mid(1, station[0])), QStringLiteral("PTO 1 Kelvaron-servis"));
        QCOMPARE(DecodeCp1251(station.mid(66, station[65])), QStringLiteral("Zarechnaya, 5"));

        // 10. Started again: it finds the instrument, and at the next close every
        //     file is as it was left.
        const QByteArray norms = FileBytes(s.Path("norma.txt"));
        const QByteArray reportBytes = FileBytes(s.Path("Text/" + saved[0]));
        const QByteArray emfBytes = FileBytes(s.Path("Graph/day.emf"));
        const int statusBefore = Requests(s.Log()).count(10);
        QVERIFY2(s.StartProgram(), qPrintable(s.StartProblem()));
        QVERIFY(s.WaitForRequest(10, statusBefore + 3));
        x.Click(s.ExitButton());
        QVERIFY(s.WaitForExit());
        QCOMPARE(FileBytes(s.Path("Kelvaron.dat")), settings);
        QCOMPARE(FileBytes(s.Path("Kelvaron.sto")), station);
        QCOMPARE(FileBytes(s.Path("norma.txt")), norms);
        QCOMPARE(FileBytes(s.Path("Text/" + saved[0])), reportBytes);
        QCOMPARE(FileBytes(s.Path("Graph/day.emf")), emfBytes);
    }
};

QTEST_MAIN(OperatorDayTest)
#include "test_operator_day.moc"
