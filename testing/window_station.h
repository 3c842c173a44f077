#pragma once
// A main window in its own empty program folder, with a fake serial port on a
// hand-moved clock, scripted dialogs, a fixed clock for dates and the Russian
// locale, and helpers to run it tick by tick without the event loop.
#include "app/main_window.h"
#include "recording/view/recording_group.h"
#include "testing/fake_port.h"
#include "testing/scripted_interaction.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace kelvaron::testing {

struct WindowStation {
    QTemporaryDir dir;
    FakeClock clock;  // the instrument's and the port's
    ScriptedInteraction messages;
    FixedClock wallClock;  // the window's dates and times
    FakePort* port = nullptr;
    std::unique_ptr<TForm1> form;

    QString Path(const QString& name) const { return dir.path() + "/" + name; }

    // The Russian locale, or with `locale` empty the program's own choice.
    TForm1& Start(QSize workArea = QSize(1920, 1080),
                  std::optional<QLocale> locale = QLocale(QLocale::Russian, QLocale::Russia)) {
        auto fake = std::make_unique<FakePort>(clock);
        port = fake.get();
        form = std::make_unique<TForm1>(
            FormDeps{dir.path(), std::move(fake), &messages, &wallClock, workArea, locale, false});
        return *form;
    }
    void Show() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
    }
    AppSettings SavedSettings() const { return ReadSettingsFile(Path("Kelvaron.dat")); }
    void Store(const AppSettings& s) const { QVERIFY(WriteSettingsFile(Path("Kelvaron.dat"), s)); }
    // Settings that do not search at start.
    void StoreQuiet(AppSettings s = AppSettings::Defaults()) const {
        s.setConnectAtStart(0);
        Store(s);
    }
    // A shown window that records every `intervalMs` once a recording starts, not
    // searching at start.
    TForm1& StartShownRecordingEvery(int intervalMs) {
        AppSettings settings = AppSettings::Defaults();
        settings.setRecordInterval(intervalMs);
        StoreQuiet(settings);
        TForm1& shown = Start();
        Show();
        return shown;
    }
    // The view "Запись" and " Начать".
    static void BeginRecording(TForm1& window) {
        window.ShowView(View::Recording);
        window.Recording().startButton->click();
    }

    // Runs poll ticks by hand, 20 ms of the instrument's clock apart, until `done`
    // holds or `limit` ticks have passed. The window's own timers stay still: the
    // event loop is not run.
    bool TickUntil(const std::function<bool()>& done, int limit) {
        for (int i = 0; i < limit && !done(); ++i) {
            clock.nowUs += 20'000;
            form->Timer2Timer();
        }
        return done();
    }
    // Puts `instrument` on COM1 and ticks until it is identified.
    bool Connect(sim::Opacimeter& instrument) {
        port->AddInstrument(1, instrument);
        form->Menus().connectItem->trigger();  // "Связь"
        return TickUntil([&] { return form->Control().state == PollState::Polling; }, 50);
    }
};

// Runs `act` on the modal dialog the next step opens, once it is up.
inline void WhenModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start(10);
}

}  // namespace kelvaron::testing
