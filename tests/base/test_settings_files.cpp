// The settings record and file, the station file, and the crash-safe save.
#include "base/app_settings.h"
#include "base/station_info.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kelvaron;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// 320 bytes where every field, the reserved ones included, has its own value.
QByteArray PatternRecord(int seed) {
    QByteArray bytes(AppSettings::kBytes, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    return bytes;
}

int32_t Le32(const QByteArray& b, int offset) {
    return static_cast<int32_t>(static_cast<uint8_t>(b[offset]) |
                                static_cast<uint8_t>(b[offset + 1]) << 8 |
                                static_cast<uint8_t>(b[offset + 2]) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(b[offset + 3])) << 24);
}

}  // namespace

class SettingsFilesTest : public QObject {
    Q_OBJECT

private slots:
    void defaultRecordLiesAtItsOffsets() {
        const QByteArray b = AppSettings::Defaults().ToBytes();
        QCOMPARE(b.size(), 320);
        QCOMPARE(Le32(b, 4), 1);             // connect at start
        QCOMPARE(Le32(b, 32), 2);            // line width
        QCOMPARE(Le32(b, 64), 0x0000FFFF);   // K text yellow
        QCOMPARE(Le32(b, 100), 0x00C0DCC0);  // caption background
        QCOMPARE(Le32(b, 140), 478);
        QCOMPARE(Le32(b, 144), 638);
        QCOMPARE(Le32(b, 152), 1);  // recording interval
        QCOMPARE(Le32(b, 0) | Le32(b, 8) | Le32(b, 24) | Le32(b, 160) | Le32(b, 316), 0);
    }

    void recordRoundTripsByteForByteWithReservedFieldsKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.dat");
        const QByteArray original = PatternRecord(3);
        WriteAll(path, original);
        AppSettings s = ReadSettingsFile(path);
        QCOMPARE(s.windowHeight(), Le32(original, 140));
        s.setWindowWidth(700);
        QVERIFY(WriteSettingsFile(path, s));
        QByteArray expected = original;
        expected.replace(144, 4, QByteArray::fromHex("bc020000"));
        QCOMPARE(ReadAll(path), expected);
    }

    void fileLengthDecidesWhatIsUsed_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one byte short") << 319 << false;
        QTest::newRow("exact") << 320 << true;
        QTest::newRow("longer") << 400 << true;
    }
    void fileLengthDecidesWhatIsUsed() {
        QFETCH(int, length);
        QFETCH(bool, loaded);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.dat");
        QByteArray bytes = PatternRecord(1).leftJustified(length, 'x', true);
        WriteAll(path, bytes);
        const AppSettings s = ReadSettingsFile(path);
        if (loaded)
            QCOMPARE(s.ToBytes(), PatternRecord(1));
        else
            QCOMPARE(s, AppSettings::Defaults());
        QVERIFY(WriteSettingsFile(path, s));
        QCOMPARE(QFileInfo(path).size(), qint64{320});
    }

    void writeProtectedFileGivesDefaultsAndRefusesTheSave_data() {
        QTest::addColumn<bool>("byAnotherUser");
        QTest::newRow("marked read-only") << false;
        QTest::newRow("writable for its owner only, run by another user") << true;
    }
    void writeProtectedFileGivesDefaultsAndRefusesTheSave() {
        QFETCH(bool, byAnotherUser);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.dat");
        WriteAll(path, PatternRecord(5));
        const auto refused = [&path] {
            return ReadSettingsFile(path) == AppSettings::Defaults() &&
                   !WriteSettingsFile(path, AppSettings::Defaults());
        };
        if (!byAnotherUser) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            QVERIFY(refused());
        } else {
#if defined(Q_OS_UNIX)
            // Root's file, 0644, in a folder open to all, tried by user 65534.
            if (::geteuid() != 0 || ::chmod(qPrintable(dir.path()), 0777) != 0) QSKIP("not root");
            const pid_t child = ::fork();
            if (child == 0) _exit(::setuid(65534) == 0 && refused() ? 0 : 1);
            int status = -1;
            QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
#else
            QSKIP("another user's file is set up on Unix");
#endif
        }
        QCOMPARE(ReadAll(path), PatternRecord(5));
    }

    void saveWritesThroughALinkKeepingTheModeAndOwner() {
#if defined(Q_OS_UNIX)
        QTemporaryDir dir;
        const QString file = dir.filePath("station.dat"), link = dir.filePath("Kelvaron.dat");
        WriteAll(file, PatternRecord(1));
        QVERIFY(QFile::link(file, link));
        const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();  // root hands it over
        QVERIFY(::chmod(qPrintable(file), 0604) == 0 && ::chown(qPrintable(file), owner, -1) == 0);
        QVERIFY(WriteSettingsFile(link, AppSettings::FromBytes(PatternRecord(2))));
        struct stat saved {};
        QVERIFY(QFileInfo(link).isSymLink() && ::stat(qPrintable(file), &saved) == 0);
        QCOMPARE(ReadAll(file), PatternRecord(2));
        QCOMPARE(saved.st_mode & 07777, 0604u);
        QCOMPARE(saved.st_uid, owner);
#endif
    }

    void missingFileGivesDefaultsAndMissingFolderRefusesTheSave() {
        QTemporaryDir dir;
        QCOMPARE(ReadSettingsFile(dir.filePath("Kelvaron.dat")), AppSettings::Defaults());
        QVERIFY(!WriteSettingsFile(dir.filePath("gone/Kelvaron.dat"), AppSettings::Defaults()));
    }

    void folderRefusingNewFilesStillTakesTheSettingsInPlace() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.dat");
        const AppSettings after = AppSettings::FromBytes(PatternRecord(42));
        SaveInterruption refused;
        refused.refuseTemporary = true;
        // No file yet: nothing to write over, so the save fails as before.
        QVERIFY(!WriteSettingsFile(path, after, refused));
        QVERIFY(!QFile::exists(path));
        // A writable file is rewritten where it stands, 320 bytes exactly.
        WriteAll(path, PatternRecord(1) + QByteArray(80, 'x'));
        QVERIFY(WriteSettingsFile(path, after, refused));
        QCOMPARE(ReadAll(path), PatternRecord(42));
        // A file marked read-only is still refused and left alone.
        QFile::setPermissions(path, QFile::ReadOwner);
        QVERIFY(!WriteSettingsFile(path, AppSettings::Defaults(), refused));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ReadAll(path), PatternRecord(42));
    }

    void saveInterruptedAtAnyByteLeavesTheOldOrTheNewRecord() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.dat");
        const AppSettings before = AppSettings::FromBytes(PatternRecord(11));
        const AppSettings after = AppSettings::FromBytes(PatternRecord(99));
        QVERIFY(WriteSettingsFile(path, before));
        for (qint64 k = 0; k <= AppSettings::kBytes; ++k) {
            QVERIFY(!WriteSettingsFile(path, after, SaveInterruption{k, false}));
            QCOMPARE(ReadSettingsFile(path), before);
        }
        // A torn temporary file left by a crash does not spoil the next save.
        QVERIFY(QFile::exists(TemporaryPathFor(path)));
        QVERIFY(WriteSettingsFile(path, after));
        QCOMPARE(ReadSettingsFile(path), after);
        QVERIFY(!QFile::exists(TemporaryPathFor(path)));
    }

    void stationSaveInterruptedKeepsTheOldLines() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.sto");
        StationInfo old{QStringLiteral("Старая строка"), QStringLiteral("вторая"), true};
        QVERIFY(WriteStationFile(path, old));
        StationInfo fresh{QStringLiteral("Новая"), QStringLiteral("строка"), true};
        for (qint64 k : {0, 1, 64, 65, 100, 130}) {
            QVERIFY(!WriteStationFile(path, fresh, SaveInterruption{k, false}));
            StationInfo read = StationInfo::Defaults();
            ReadStationFile(path, read);
            QCOMPARE(read.line1, old.line1);
            QCOMPARE(read.line2, old.line2);
        }
    }

    void windowLargerThanTheWorkAreaFallsBackToTheDefaults() {
        AppSettings s = AppSettings::Defaults();
        s.setWindowLeft(50);
        s.setWindowTop(40);
        s.setWindowWidth(1025);
        s.setWindowHeight(700);
        s.setMaximized(1);
        FitWindowToWorkArea(s, QSize(1024, 738));
        QCOMPARE(s.windowWidth(), 638);
        QCOMPARE(s.windowHeight(), 478);
        QCOMPARE(s.windowLeft(), 0);
        QCOMPARE(s.windowTop(), 0);
        QCOMPARE(s.maximized(), 0);

        s.setWindowWidth(1024);
        s.setWindowHeight(739);
        FitWindowToWorkArea(s, QSize(1024, 738));
        QCOMPARE(s.windowWidth(), 638);

        s.setWindowWidth(1024);
        s.setWindowHeight(738);
        s.setWindowLeft(50);
        s.setMaximized(1);
        FitWindowToWorkArea(s, QSize(1024, 738));  // exactly as large passes
        QCOMPARE(s.windowWidth(), 1024);
        QCOMPARE(s.windowLeft(), 50);
        QCOMPARE(s.maximized(), 1);
    }

    void windowStoredOffTheDesktopComesBackToTheDefaultPlace_data() {
        QTest::addColumn<QPoint>("stored");  // left, top
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("far right") << QPoint(100000, 10) << QPoint(0, 0);
        QTest::newRow("far above") << QPoint(10, -100000) << QPoint(0, 0);
        QTest::newRow("one pixel on the desktop") << QPoint(1919, 1079) << QPoint(1919, 1079);
        QTest::newRow("half off to the left") << QPoint(-300, 5) << QPoint(-300, 5);
        // Its right and bottom edges overflow an int (the X server, in 16 bits,
        // put it at -637, -477).
        QTest::newRow("near the int limit") << QPoint(2147483011, 2147483171) << QPoint(0, 0);
    }
    void windowStoredOffTheDesktopComesBackToTheDefaultPlace() {
        QFETCH(QPoint, stored);
        QFETCH(QPoint, placed);
        AppSettings s = AppSettings::Defaults();
        s.setWindowLeft(stored.x());
        s.setWindowTop(stored.y());
        KeepWindowOnDesktop(s, QRect(0, 0, 1920, 1080));
        QCOMPARE(QPoint(s.windowLeft(), s.windowTop()), placed);
        QCOMPARE(QSize(s.windowWidth(), s.windowHeight()), QSize(638, 478));
    }

    void recordIntervalBelowOneStartsAs1000() {
        for (int stored : {0, -5}) {
            AppSettings s;
            s.setRecordInterval(stored);
            MendRecordInterval(s);
            QCOMPARE(s.recordInterval(), 1000);
        }
        AppSettings s;
        s.setRecordInterval(1);
        MendRecordInterval(s);
        QCOMPARE(s.recordInterval(), 1);
    }

    // ---- The station file ----

    void stationRecordsAreLengthPrefixedCp1251PaddedWithZeros() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.sto");
        QVERIFY(WriteStationFile(path, {QStringLiteral("АБВ"), QStringLiteral("x"), true}));
        const QByteArray b = ReadAll(path);
        QCOMPARE(b.size(), 130);
        QCOMPARE(b.left(4), QByteArray::fromHex("03c0c1c2"));
        QCOMPARE(b.mid(4, 61), QByteArray(61, '\0'));
        QCOMPARE(b.mid(65, 2), QByteArray::fromHex("0178"));
        StationInfo read = StationInfo::Defaults();
        ReadStationFile(path, read);
        QCOMPARE(read.line1, QStringLiteral("АБВ"));
        QCOMPARE(read.line2, QStringLiteral("x"));
    }

    void lengthByteAbove64ReadsAs64() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.sto");
        QByteArray b(130, 'a');
        b[0] = static_cast<char>(200);
        b[65] = 2;
        WriteAll(path, b);
        StationInfo read = StationInfo::Defaults();
        ReadStationFile(path, read);
        QCOMPARE(read.line1, QString(64, 'a'));
        QCOMPARE(read.line2, QStringLiteral("aa"));
    }

    void stationFileCutShortKeepsDefaultsForWhatIsMissing() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.sto");
        QByteArray b(70, '\0');
        b[0] = 1;
        b[1] = 'Z';
        WriteAll(path, b);
        StationInfo read = StationInfo::Defaults();
        ReadStationFile(path, read);
        QCOMPARE(read.line1, QStringLiteral("Z"));
        QCOMPARE(read.line2, StationInfo::Defaults().line2);

        WriteAll(path, b.left(30));
        read = StationInfo::Defaults();
        ReadStationFile(path, read);
        QCOMPARE(read.line1, StationInfo::Defaults().line1);
    }

    void linesLongerThan64AreCutOnSaveAndDefaultsFit() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kelvaron.sto");
        QVERIFY(WriteStationFile(path, {QString(80, QChar(0x0416)), QString(), true}));
        StationInfo read;
        ReadStationFile(path, read);
        QCOMPARE(read.line1, QString(64, QChar(0x0416)));
        QCOMPARE(read.line2, QString());
        const StationInfo d = StationInfo::Defaults();
        QVERIFY(d.line1.size() <= 64 && d.line2.size() <= 64);
        QVERIFY(d.line2.startsWith(QString(17, ' ')) && d.line2[17] != ' ');
    }
};

QTEST_APPLESS_MAIN(SettingsFilesTest)
#include "test_settings_files.moc"
