#pragma once
// What the recording tests share: a timer moved by hand, and a bench holding a
// session with its settings, a fixed clock, a scripted operator and an output
// folder in a temporary directory.
#include "recording/record_timer.h"
#include "recording/recording_session.h"
#include "testing/scripted_interaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kelvaron::testing {

// A recording timer that ticks only when the test says so.
class FakeRecordTimer final : public RecordTimer {
public:
    void SetInterval(int ms) override { interval = ms; }
    int Interval() const override { return interval; }
    void Start() override { active = true; }
    void Stop() override { active = false; }
    bool IsActive() const override { return active; }

    int interval = 0;
    bool active = false;
};

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

struct RecordingBench {
    // `makeOutput`: the output folder exists, as the program's start-up makes it.
    explicit RecordingBench(bool makeOutput = true)
        : output(dir.filePath(QStringLiteral("Output"))),
          session(settings, output, clock, ui, timer, QLocale(QLocale::Russian)) {
        if (makeOutput) QDir().mkpath(output);
        live.k = QStringLiteral("1,40");
        live.n = QStringLiteral("45,3");
        live.chamber = QStringLiteral("0,0");
        live.ambient = QStringLiteral("0,0");
        session.SetLiveTexts(live);
    }

    // One tick of the timer, delivered as the window's timer would: only while it
    // runs. The clock moves one second first. False when the timer was off.
    bool Tick() {
        if (!timer.active) return false;
        clock.now = clock.now.addSecs(1);
        session.WriteRow();
        return true;
    }
    int Ticks(int count) {
        int delivered = 0;
        for (int i = 0; i < count; ++i) delivered += Tick() ? 1 : 0;
        return delivered;
    }

    QByteArray FileBytes() const { return ReadBytes(session.FilePath()); }

    QTemporaryDir dir;
    QString output;
    AppSettings settings = AppSettings::Defaults();
    FixedClock clock{QDateTime(QDate(2026, 3, 27), QTime(9, 5, 7))};
    ScriptedInteraction ui;
    FakeRecordTimer timer;
    LiveTexts live;
    RecordingSession session;
};

}  // namespace kelvaron::testing
