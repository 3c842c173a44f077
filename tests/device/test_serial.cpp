// TSerial on a real pseudo-terminal, and where COMn is found.
#include "device/port_names.h"
#include "device/serial.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#endif

using kelvaron::ResolvePortDevice;
using kelvaron::TSerial;

#ifndef _WIN32
namespace {

// The instrument's end of a pseudo-terminal, linked as <dir>/ports/COM<n>.
class LinkedTerminal {
public:
    LinkedTerminal(const QString& portsDir, int n) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        QDir().mkpath(portsDir);
        QFile::link(QString::fromLocal8Bit(ptsname(master_)),
                    portsDir + QStringLiteral("/COM%1").arg(n));
    }
    ~LinkedTerminal() { HangUp(); }
    void HangUp() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    QByteArray ReadAvailable(int waitMs = 500) {
        QByteArray got;
        pollfd p{master_, POLLIN, 0};
        while (poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
            char buffer[64];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<int>(n));
            waitMs = 50;
        }
        return got;
    }
    void Send(const QByteArray& bytes) {
        QVERIFY(write(master_, bytes.data(), bytes.size()) == bytes.size());
    }

private:
    int master_ = -1;
};

// Waits until the port holds `count` bytes (a pseudo-terminal passes them on at once,
// but not within the same instant).
int WaitForBytes(TSerial& serial, int count) {
    int waiting = 0;
    for (int i = 0; i < 100 && waiting < count; ++i) {
        waiting = serial.BytesWaiting();
        if (waiting < count) QTest::qWait(5);
    }
    return waiting;
}

}  // namespace
#endif

class SerialTest : public QObject {
    Q_OBJECT

private slots:
    void portTableEntryWinsOverDevices() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("ports");
        QDir(dir.path()).mkpath("dev");
        QFile(dir.filePath("dev/ttyUSB0")).open(QIODevice::WriteOnly);
        QFile::link("/nonexistent/device", dir.filePath("ports/COM1"));
        // A dangling entry still names the port: it wins, and the open will fail.
        QCOMPARE(ResolvePortDevice(1, dir.filePath("ports"), dir.filePath("dev")),
                 dir.filePath("ports/COM1"));
        QCOMPARE(ResolvePortDevice(2, dir.filePath("ports"), dir.filePath("dev")), QString());
    }

    void devicesAreNumberedUsbThenAcmThenSerialEachByNumber() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("dev");
        for (const char* name :
             {"ttyS10", "ttyS2", "ttyACM1", "ttyUSB1", "ttyUSB0", "ttySX", "tty0"})
            QFile(dir.filePath(QString("dev/") + name)).open(QIODevice::WriteOnly);
        const QString dev = dir.filePath("dev");
        const QString ports = dir.filePath("ports");
        QStringList order;
        for (int n = 1; n <= 6; ++n)
            order << QFileInfo(ResolvePortDevice(n, ports, dev)).fileName();
        QCOMPARE(order, (QStringList{"ttyUSB0", "ttyUSB1", "ttyACM1", "ttyS2", "ttyS10", ""}));
        QCOMPARE(ResolvePortDevice(0, ports, dev), QString());
    }

#ifndef _WIN32
    void commandFramesLeaveAsTheProtocolSays() {
        QTemporaryDir dir;
        LinkedTerminal terminal(dir.filePath("ports"), 1);
        TSerial serial(dir.filePath("ports"));
        QVERIFY(serial.Open(1, 9600));
        QVERIFY(serial.SendCommand(14));
        QCOMPARE(terminal.ReadAvailable(), QByteArray::fromHex("AA0EA501"));
        QVERIFY(serial.SendCommand(10));
        QCOMPARE(terminal.ReadAvailable(), QByteArray::fromHex("AA0AA505"));
    }

    void readTakesAtMostMaxAndLeavesTheRest() {
        QTemporaryDir dir;
        LinkedTerminal terminal(dir.filePath("ports"), 1);
        TSerial serial(dir.filePath("ports"));
        QVERIFY(serial.Open(1, 9600));
        terminal.Send(QByteArray::fromHex("AA0100000000A50E"));
        QCOMPARE(WaitForBytes(serial, 8), 8);
        uint8_t buffer[9] = {};
        QCOMPARE(serial.Read(buffer, 5), 5);
        QCOMPARE(buffer[0], uint8_t{0xAA});
        QCOMPARE(serial.BytesWaiting(), 3);
        QCOMPARE(serial.Read(buffer, 8), 3);
        QCOMPARE(buffer[2], uint8_t{0x0E});
        QCOMPARE(serial.Read(buffer, 8), 0);  // nothing more: returns at once
    }

    void openWhenOpenKeepsThePortAndAFailedOpenLeavesItClosed() {
        QTemporaryDir dir;
        LinkedTerminal one(dir.filePath("ports"), 1);
        LinkedTerminal two(dir.filePath("ports"), 2);
        TSerial serial(dir.filePath("ports"));
        QVERIFY(!serial.Open(5, 9600));
        QVERIFY(!serial.IsOpen());
        QCOMPARE(serial.PortNumber(), 5);
        QVERIFY(serial.Open(1, 9600));
        QVERIFY(serial.Open(2, 9600));  // already open: COM1 stays
        QVERIFY(serial.SendCommand(10));
        QCOMPARE(one.ReadAvailable().size(), 4);
        QCOMPARE(two.ReadAvailable(100).size(), 0);
        QVERIFY(serial.Close());
        QVERIFY(serial.Open(2, 9600));  // acquired afresh
        QVERIFY(serial.SendCommand(10));
        QCOMPARE(two.ReadAvailable().size(), 4);
    }

    void closedPortDoesNothing() {
        TSerial serial(QStringLiteral("/nonexistent"));
        uint8_t buffer[4] = {};
        QCOMPARE(serial.BytesWaiting(), 0);
        QCOMPARE(serial.Read(buffer, 4), 0);
        QCOMPARE(serial.Write(buffer, 4), 0);
        QVERIFY(!serial.SendCommand(10));
        QVERIFY(serial.Close());
    }

    void lineHungUpStopsDeliveringBytesOnce() {
        QTemporaryDir dir;
        LinkedTerminal terminal(dir.filePath("ports"), 1);
        TSerial serial(dir.filePath("ports"));
        QVERIFY(serial.Open(1, 9600));
        terminal.HangUp();
        uint8_t buffer[16];
        for (int i = 0; i < 50; ++i) {
            QCOMPARE(serial.BytesWaiting(), 0);
            QCOMPARE(serial.Read(buffer, sizeof buffer), 0);
            serial.SendCommand(10);
        }
        QVERIFY(serial.Close());
    }
#endif
};

QTEST_GUILESS_MAIN(SerialTest)
#include "test_serial.moc"
