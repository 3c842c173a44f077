#pragma once
// A virtual X display for tests of what the operator sees and does: Xvfb on a
// free display number, the screen read back through ImageMagick's import, the
// operator's keys, typing and clicks through xdotool, and the sizes that place
// the main window's elements on it.
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

namespace kelvaron::testing {

// The main window's font: its menu bar and value boxes are measured with it.
inline QFont WindowFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

// The height of the main window's menu bar, which the client area lies under.
inline int MenuBarHeight() {
    QMainWindow window;
    window.setFont(WindowFont());
    for (const char* title : {"Файл", "Вид", "Действия", "Помощь"})
        window.menuBar()->addMenu(QString::fromUtf8(title));
    return window.menuBar()->sizeHint().height();
}

// The height of a value box for a font size, as the program's boxes get it.
inline int BoxHeight(int points) {
    QLineEdit probe;
    QFont font = WindowFont();
    font.setPointSize(points);
    probe.setFont(font);
    return probe.sizeHint().height();
}

class XDisplay {
public:
    // False when Xvfb is missing or will not start. Xvfb picks a free display
    // number itself (taking its lock) and writes it once it accepts clients, so
    // two tests starting displays at the same moment never share one. It does not
    // reset when its last client leaves: a program started again right after the
    // last one closed found no display to connect to while it reset.
    bool Start(int width, int height) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) return false;
        process_.start(xvfb,
                       {"-displayfd", "1", "-noreset", "-screen", "0",
                        QStringLiteral("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
        if (!process_.waitForStarted(3000)) return false;
        bool ready = process_.canReadLine();
        while (!ready && process_.waitForReadyRead(10000)) ready = process_.canReadLine();
        bool isNumber = false;
        const int display = ready ? process_.readLine().trimmed().toInt(&isNumber) : -1;
        if (!isNumber || display < 0) {
            process_.kill();
            process_.waitForFinished();
            return false;
        }
        name_ = QStringLiteral(":%1").arg(display);
        return true;
    }
    ~XDisplay() {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    XDisplay() = default;
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    QString Name() const { return name_; }

    // The screen's pixels.
    QImage Grab() const {
        QProcess import;
        import.start(QStringLiteral("import"),
                     {"-display", name_, "-window", "root", QStringLiteral("png:-")});
        if (!import.waitForFinished(20000)) return {};
        return QImage::fromData(import.readAllStandardOutput(), "PNG")
            .convertToFormat(QImage::Format_RGB32);
    }

    // Runs xdotool with `arguments` on this display; its output, trimmed.
    QString Xdo(const QStringList& arguments) const {
        QProcess xdo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name_);
        xdo.setProcessEnvironment(env);
        xdo.start(QStringLiteral("xdotool"), arguments);
        xdo.waitForFinished(20000);
        return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
    }
    // The visible windows whose whole title matches the pattern `title`, oldest
    // first. (xdotool's own search reads the Latin-1 title and misses Cyrillic.)
    QStringList Windows(const QString& title) const {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(title));
        QStringList windows;
        const QString all = Xdo({"search", "--onlyvisible", "--name", "."});
        for (const QString& window : all.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (pattern.match(Xdo({"getwindowname", window})).hasMatch()) windows << window;
        return windows;
    }
    // Gives the keyboard to `window` (there is no window manager to do it).
    void Focus(const QString& window) const { Xdo({"windowfocus", "--sync", window}); }
    void Keys(const QStringList& keys) const {
        QStringList arguments{"key", "--delay", "60"};
        Xdo(arguments + keys);
    }
    void Type(const QString& text) const { Xdo({"type", "--delay", "50", text}); }
    void Click(QPoint at) const {
        Xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }

private:
    QProcess process_;
    QString name_;
};

}  // namespace kelvaron::testing
