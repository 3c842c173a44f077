// Records fixed live texts at 1 ms into the folder named by its argument, with the
// program's own timer, and prints the count of rows after each row written, until
// it is killed. Exits with 1 when the recording cannot start or ends by itself.
#include "recording/record_timer.h"
#include "recording/recording_session.h"
#include "testing/scripted_interaction.h"

#include <QCoreApplication>

#include <cstdio>

using namespace kelvaron;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: recording_kill_helper <output folder>\n");
        return 2;
    }
    AppSettings settings = AppSettings::Defaults();
    settings.setRecordInterval(1);
    SystemClock clock;
    testing::ScriptedInteraction ui;
    LiveTexts live;
    live.k = QStringLiteral("1,40");
    live.n = QStringLiteral("45,3");
    live.chamber = QStringLiteral("0,0");
    live.ambient = QStringLiteral("0,0");

    RecordingSession* recording = nullptr;
    TimerZapTimer timer([&] { recording->WriteRow(); });
    RecordingSession session(settings, QString::fromLocal8Bit(argv[1]), clock, ui, timer,
                             QLocale(QLocale::Russian));
    session.SetLiveTexts(live);
    recording = &session;
    QObject::connect(&session, &RecordingSession::rowWritten, [](int rows) {
        std::printf("%d\n", rows);
        std::fflush(stdout);
    });
    QObject::connect(&session, &RecordingSession::changed, [&] {
        if (session.IsActive()) return;
        std::fprintf(stderr, "recording ended: %s\n", qPrintable(ui.shown.join(" | ")));
        QCoreApplication::exit(1);
    });
    session.LoadSettings();
    session.Start();
    if (!session.IsActive()) return 1;
    return app.exec();
}
