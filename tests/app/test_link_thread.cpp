// The device link in a thread of its own, driven hard from the window's side:
// the instrument is simulated in the process on the real clock, behind a port the
// link's thread alone uses, so the test also runs under ThreadSanitizer.
#include "app/main_window.h"
#include "app/right_column.h"
#include "device/serial_link.h"
#include "simulator/opacimeter.h"
#include "testing/scripted_interaction.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <deque>

using namespace kelvaron;

namespace {

// COM1 with the simulated instrument, on the monotonic clock: used by the link's
// thread only, and read by the test once that thread has ended.
class InstrumentPort final : public SerialLink {
public:
    explicit InstrumentPort(sim::Opacimeter& instrument) : instrument_(instrument) {}
    bool Open(int port, int) override { return open_ = open_ || port == 1; }
    bool Close() override {
        open_ = false;
        received_.clear();
        return true;
    }
    int BytesWaiting() override {
        if (!open_) return 0;
        const auto due = instrument_.TakeDue(NowUs());
        received_.insert(received_.end(), due.begin(), due.end());
        return static_cast<int>(received_.size());
    }
    int Read(uint8_t* buffer, uint16_t max) override {
        int n = 0;
        for (; n < max && !received_.empty(); ++n) {
            buffer[n] = received_.front();
            received_.pop_front();
        }
        return n;
    }
    int Write(const uint8_t* buffer, uint16_t count) override {
        if (!open_) return 0;
        instrument_.Receive(buffer, count, NowUs());
        return count;
    }
    bool IsOpen() const override { return open_; }

private:
    static int64_t NowUs() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - kStart)
            .count();
    }
    static inline const auto kStart = std::chrono::steady_clock::now();
    sim::Opacimeter& instrument_;
    std::deque<uint8_t> received_;
    bool open_ = false;
};

// What the instrument put on the line intact: opacities, speeds and results.
struct Sent {
    QSet<int> opacities{0}, speeds{0}, means;  // 0: the readings before any reply
    void Add(const sim::Opacimeter& instrument) {
        for (const sim::Reply& r : instrument.Replies()) {
            if (!r.intact || r.burst) continue;
            const auto digits = [&](int from, int count) {
                int value = 0;
                for (int i = count - 1; i >= 0; --i) value = value * 16 + r.data[from - 1 + i];
                return value;
            };
            if (r.code == 11) opacities << digits(2, 3);
            if (r.code == 7) speeds << digits(2, 4);
            if ((r.code == 15 || r.code == 16) && r.data[0] < 3) means << digits(3, 3);
        }
    }
};

}  // namespace

class LinkThreadTest : public QObject {
    Q_OBJECT

private slots:
    // Starts, zero commands, searches, view switches and settings applied in quick
    // succession while every reply comes in two parts; the window closed at a
    // random moment; a last round followed to a maximum-speed test's result.
    // Every reading and result the window ever held is one the instrument sent.
    void theWindowDrivesTheLinkHardAndHoldsOnlyWhatWasSent() {
        QTemporaryDir dir;
        QRandomGenerator random(11);
        QSet<int> heldOpacities, heldSpeeds, heldMeans;
        Sent sent;
        for (int round = 0; round < 4; ++round) {
            const bool toResult = round == 3;
            sim::Opacimeter instrument(sim::Options{.fault = sim::Fault::Split, .seed = 7});
            testing::ScriptedInteraction messages;
            {
                TForm1 form(FormDeps{dir.path(),
                                     std::make_unique<InstrumentPort>(instrument),
                                     &messages,
                                     nullptr,
                                     QSize(1920, 1080),
                                     {},
                                     true});
                form.show();
                QTRY_VERIFY_WITH_TIMEOUT(form.Readings().deviceState == 1, 15000);
                const auto hold = [&] {
                    heldOpacities << form.Readings().opacityX10;
                    heldSpeeds << form.Readings().engineSpeed;
                    const TestResults& r = form.Results();
                    if (r.hasFreeAccelResult) heldMeans << r.freeAccelMeanX10;
                    if (r.hasMaxSpeedResult) heldMeans << r.maxSpeedMeanX10;
                };
                const auto click = [&](const char* name) {
                    form.findChild<QPushButton*>(name)->click();
                };
                if (toResult) click("BitBtn5");  // "МАХ.ОБ."
                const int steps = 100 + random.bounded(100);
                for (int step = 0;
                     toResult ? !form.Results().hasMaxSpeedResult && step < 3000 : step < steps;
                     ++step) {
                    switch (random.bounded(toResult ? 3 : 8) + (toResult ? 4 : 0)) {
                        case 0:
                            click("BitBtn4");  // "СВ.УСК."
                            break;
                        case 1:
                            click("BitBtn5");  // "МАХ.ОБ."
                            break;
                        case 2:
                            click("BitBtn2");  // "УСТ. 0"
                            break;
                        case 3:
                            if (random.bounded(10) == 0) click("BitBtn1");  // "Связь"
                            break;
                        case 4:
                            form.ApplySettings();
                            break;
                        default:
                            form.ShowView(static_cast<View>(random.bounded(3)));
                            break;
                    }
                    hold();
                    QTest::qWait(random.bounded(20));
                    hold();
                }
                if (toResult) QVERIFY(form.Results().hasMaxSpeedResult);
                form.close();  // at whatever moment the link is in; its thread ends
                QVERIFY(!form.isVisible());
            }
            sent.Add(instrument);
        }
        for (int x : heldOpacities)
            QVERIFY2(sent.opacities.contains(x), qPrintable(QString::number(x)));
        for (int x : heldSpeeds) QVERIFY2(sent.speeds.contains(x), qPrintable(QString::number(x)));
        for (int x : heldMeans) QVERIFY2(sent.means.contains(x), qPrintable(QString::number(x)));
        QVERIFY(heldOpacities.size() > 3 && !heldMeans.isEmpty());
    }
};

QTEST_MAIN(LinkThreadTest)
#include "test_link_thread.moc"
