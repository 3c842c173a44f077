// Report files: the exact bytes of a saved report, saves that fail without
// harming the old file, the chart picture's name and type rules, and the file
// dialogs the report and the chart ask for.
#include "report/file_names.h"
#include "report/report_files.h"
#include "testing/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace kelvaron;
using kelvaron::testing::FileBytes;
using kelvaron::testing::PutFile;

namespace {

const QByteArray kOldReport = QByteArray("old report, longer than the new one\r\n");

}  // namespace

class ReportFilesTest : public QObject {
    Q_OBJECT

private slots:
    void savedReportIsCp1251WithCrLfAfterEveryLine_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty report") << QStringList() << QByteArray();
        QTest::newRow("one empty line") << QStringList{QString()} << QByteArray("\r\n");
        QTest::newRow("Cyrillic, blanks kept at both ends")
            << QStringList{QStringLiteral("  Отчет "), QStringLiteral("ГОДЕН")}
            << QByteArray("  \xCE\xF2\xF7\xE5\xF2 \r\n\xC3\xCE\xC4\xC5\xCD\r\n");
        QTest::newRow("signs of the code page") << QStringList{QStringLiteral("№ 5 ёЁ м-1")}
                                                << QByteArray("\xB9 5 \xB8\xA8 \xEC-1\r\n");
        QTest::newRow("empty lines inside and at the end")
            << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}
            << QByteArray("a\r\n\r\nb\r\n\r\n");
        QTest::newRow("Greek and Chinese become one mark each")
            << QStringList{QStringLiteral("Ω=中")} << QByteArray("?=?\r\n");
        QTest::newRow("a character beyond 16 bits becomes one mark")
            << QStringList{QStringLiteral("K\U0001F600N")} << QByteArray("K?N\r\n");
        QTest::newRow("letter and combining breve written as the one letter")
            << QStringList{QStringLiteral("и\u0306")} << QByteArray("\xE9\r\n");
    }
    void savedReportIsCp1251WithCrLfAfterEveryLine() {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("report.txt");
        PutFile(path, kOldReport);
        QVERIFY(SaveReportFile(path, lines));
        QCOMPARE(FileBytes(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.txt"});
    }

    void failedSaveReportsItAndKeepsTheOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("crashAfter");
        QTest::addColumn<bool>("refuseTemporary");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("folder missing") << "missing/report.txt" << qint64(-1) << false << false;
        QTest::newRow("crash mid-write") << "report.txt" << qint64(5) << false << false;
        QTest::newRow("crash before the first byte") << "report.txt" << qint64(0) << false << false;
        QTest::newRow("folder refuses new files") << "report.txt" << qint64(-1) << true << false;
        QTest::newRow("file marked read-only") << "report.txt" << qint64(-1) << false << true;
        QTest::newRow("name of a folder") << "folder" << qint64(-1) << false << false;
    }
    void failedSaveReportsItAndKeepsTheOldFile() {
        QFETCH(QString, name);
        QFETCH(qint64, crashAfter);
        QFETCH(bool, refuseTemporary);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString old = dir.filePath("report.txt");
        PutFile(old, kOldReport);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        if (readOnly) QVERIFY(QFile::setPermissions(old, QFileDevice::ReadOwner));

        const QStringList lines{QStringLiteral("Новый отчет"), QStringLiteral("строка 2")};
        QVERIFY(!SaveReportFile(path, lines, SaveInterruption{crashAfter, refuseTemporary}));
        QCOMPARE(FileBytes(old), kOldReport);
        QVERIFY(!QFile::exists(dir.filePath("missing")));
        QVERIFY(QFileInfo(dir.filePath("folder")).isDir());

        // Once the cause is gone the next save replaces the old report whole.
        QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(SaveReportFile(old, lines));
        QCOMPARE(FileBytes(old), QByteArray("\xCD\xEE\xE2\xFB\xE9 \xEE\xF2\xF7\xE5\xF2\r\n"
                                            "\xF1\xF2\xF0\xEE\xEA\xE0 2\r\n"));
    }

    void failureMessageNamesThePath() {
        const QString path = QDir::temp().filePath("Text/А123АА_12-06_14-05.txt");
        QVERIFY(ReportNotSavedText(path).endsWith(QDir::toNativeSeparators(path)));
    }

    void chartNameGetsTheTypesExtensionOnce_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("written");
        QTest::newRow("metafile, bare name") << "probe" << 2 << "probe.emf";
        QTest::newRow("metafile, with extension") << "probe.emf" << 2 << "probe.emf";
        QTest::newRow("metafile, capital extension") << "probe.EMF" << 2 << "probe.EMF";
        QTest::newRow("metafile, other extension") << "probe.bmp" << 2 << "probe.bmp.emf";
        QTest::newRow("bitmap, bare name") << "probe" << 1 << "probe.bmp";
        QTest::newRow("bitmap, mixed case") << "/Graph/probe.Bmp" << 1 << "/Graph/probe.Bmp";
        QTest::newRow("bitmap, metafile name") << "probe.emf" << 1 << "probe.emf.bmp";
        QTest::newRow("name ending in the letters only") << "emf" << 2 << "emf.emf";
        QTest::newRow("Cyrillic name") << "А123АА_12-06_14-05" << 2 << "А123АА_12-06_14-05.emf";
        QTest::newRow("unknown type counts as bitmap") << "probe" << 0 << "probe.bmp";
    }
    void chartNameGetsTheTypesExtensionOnce() {
        QFETCH(QString, chosen);
        QFETCH(int, type);
        QFETCH(QString, written);
        QCOMPARE(ChartFileName(chosen, type), written);
    }

    void storedTypeSelectsTheDialogsType_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("type");
        QTest::newRow("fresh settings") << 0 << 2 << 1;
        QTest::newRow("bitmap") << 1 << 2 << 1;
        QTest::newRow("metafile") << 2 << 2 << 2;
        QTest::newRow("beyond the save dialog's types") << 3 << 2 << 1;
        QTest::newRow("metafiles of the open dialog") << 3 << 3 << 3;
        QTest::newRow("beyond the open dialog's types") << 4 << 3 << 1;
        QTest::newRow("negative") << -1 << 3 << 1;
        QTest::newRow("damaged") << INT_MAX << 3 << 1;
    }
    void storedTypeSelectsTheDialogsType() {
        QFETCH(int, stored);
        QFETCH(int, count);
        QFETCH(int, type);
        QCOMPARE(StoredDialogType(stored, count), type);
    }

    // The dialogs as the operator meets them: at 14:05 on 6 December with no
    // header data the report is offered as "12-06_14-05.txt", the chart as
    // "12-06_14-05"; saves ask before replacing, opens do not.
    void dialogsOfferTheStampedNameAndTheStoredType() {
        const QString base =
            StampedBaseName(ReportHeader{}, QDateTime(QDate(2026, 12, 6), QTime(14, 5, 30)));
        const FileDialog saveReport = SaveReportDialog("/p/Text", base);
        QCOMPARE(saveReport.suggestedName, QStringLiteral("12-06_14-05.txt"));
        QCOMPARE(saveReport.typeSuffixes, (QStringList{"txt", "pdf"}));
        QVERIFY(saveReport.askOverwrite);
        QCOMPARE(saveReport.folder, QStringLiteral("/p/Text"));
        QVERIFY(!OpenReportDialog("/p/Text").askOverwrite);

        for (int stored : {0, 1, 2, 7}) {
            const FileDialog saveChart = SaveChartDialog("/p/Graph", base, stored);
            QCOMPARE(saveChart.suggestedName, QStringLiteral("12-06_14-05"));
            QCOMPARE(saveChart.type, stored == 2 ? 2 : 1);
            QVERIFY(saveChart.askOverwrite);
            // The dialog's default extension of each type is the one the name
            // rule appends for it, so a typed bare name gets one extension.
            QCOMPARE(saveChart.typeSuffixes.size(), saveChart.types.size());
            for (int type = 1; type <= saveChart.types.size(); ++type) {
                const QString suffixed = "probe." + saveChart.typeSuffixes[type - 1];
                QCOMPARE(ChartFileName(suffixed, type), suffixed);
                QVERIFY(
                    saveChart.types[type - 1].contains("*." + saveChart.typeSuffixes[type - 1]));
            }
        }
        for (int stored : {0, 1, 2, 3, 4}) {
            const FileDialog openChart = OpenChartDialog("/p/Graph", stored);
            QCOMPARE(openChart.type, stored >= 1 && stored <= 3 ? stored : 1);
            QVERIFY(!openChart.askOverwrite);
        }
    }

    // A file chosen in one dialog of a pair starts both dialogs of that pair in
    // its folder next time; the other pair keeps its folder.
    void chosenFileMovesBothDialogsOfItsPair() {
        FileDialogFolders folders = FileDialogFolders::Initial("/opt/kelvaron/");
        QCOMPARE(folders.reportOpen, QStringLiteral("/opt/kelvaron/Text"));
        QCOMPARE(folders.reportSave, QStringLiteral("/opt/kelvaron/Text"));
        QCOMPARE(folders.chartOpen, QStringLiteral("/opt/kelvaron/Graph"));
        QCOMPARE(folders.chartSave, QStringLiteral("/opt/kelvaron/Graph"));

        folders.ReportFileChosen("/home/station/reports/a.txt");
        QCOMPARE(folders.reportOpen, QStringLiteral("/home/station/reports"));
        QCOMPARE(folders.reportSave, QStringLiteral("/home/station/reports"));
        QCOMPARE(folders.chartOpen, QStringLiteral("/opt/kelvaron/Graph"));

        folders.ChartFileChosen("/mnt/usb/probe.emf");
        QCOMPARE(folders.chartOpen, QStringLiteral("/mnt/usb"));
        QCOMPARE(folders.chartSave, QStringLiteral("/mnt/usb"));
        QCOMPARE(folders.reportSave, QStringLiteral("/home/station/reports"));
    }
};

QTEST_GUILESS_MAIN(ReportFilesTest)
#include "test_report_files.moc"
