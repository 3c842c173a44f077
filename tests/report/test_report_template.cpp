// Rendering of report template lines, the built-in template on disk, composing a
// report from templates as operators and accidents leave them, and the stamped
// file names.
#include "base/safe_file.h"
#include "base/text_codec.h"
#include "report/file_names.h"
#include "report/report_template.h"
#include "testing/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;
using kelvaron::testing::FileBytes;
using kelvaron::testing::PutFile;

namespace {

const QString kRow1 = QStringLiteral("         12,346      45,3        81,5        2450        ");
const QString kRow2 = QStringLiteral("         0,500       19,4        81,5        2500        ");
const QString kRow3 = QStringLiteral("         1,000       35,0        81,5        3000        ");
const QString kRow4 = QString(57, QLatin1Char(' '));  // no sample taken: no number
const QString kValidFree = QStringLiteral("K = 0,456 м-1 ,   Ср.дымность N = 17,8 % ");
const QString kValidMax = QStringLiteral("K = 0,669 м-1 ,   Ср.дымность N = 25,0 % ");

ReportValues Values() {
    ReportValues v;
    v.header.vehicleNumber = QStringLiteral("А123АА");
    v.header.make = QStringLiteral("КАМАЗ");
    v.header.owner = QStringLiteral("Иванов");
    v.header.extra = QStringLiteral("доп#3");
    v.header.vin = QStringLiteral("XTA21099");
    v.header.decision = QStringLiteral("ГОДЕН");
    v.stationLine1 = QStringLiteral("Станция техосмотра");
    v.stationLine2 = QStringLiteral("  тел. 123");
    v.results.hasFreeAccelResult = v.results.hasMaxSpeedResult = true;
    v.results.freeAccelMeanX10 = 178;
    v.results.maxSpeedMeanX10 = 250;
    v.results.peakK = {12.3456, 0.5, 1.0, 0, 0, 0};
    v.results.peakN = {45.27, 19.4, 35.0, 0, 0, 0};
    v.results.peakRpm = {2450, 2500, 3000, 0, 0, 0};
    v.results.sampled = {true, true, true, false, false, false};
    v.oilText = QStringLiteral("81,5");
    v.normText = QStringLiteral("    по ГОСТ без наддува:   2,5  м-1");
    v.normsInReport = true;
    v.moment = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 7));
    v.locale = QLocale(QLocale::Russian, QLocale::Russia);
    v.decimalSeparator = QLatin1Char(',');
    return v;
}

// The built-in template as the station's files have it, line by line.
QStringList ExpectedDefaultLines(bool norms) {
    QStringList lines = {
        "",
        "  #1",
        "  #2",
        "",
        "     № автомобиля:  #3       VIN:   #B",
        "",
        "     Марка:         #4       Владелец:      #5       #6",
        "",
        "                   Дата:   #7     Время:  #8",
        "",
        "                Результаты анализа выхлопных газов.",
        "                ___________________________________",
        "  Средний коэффициент ослабления на свободных ускорениях:",
        "      #0",
        "                  Результаты измерений:",
        "  № Изм.      K,n-1       N,%         Tмасла      F,об\\мин    ",
        "    1#F",
        "    2#F",
        "    3#F",
        "    4#F",
        "    5#F",
        "    6#F",
        "",
        "  (Средний коэффициент ослабления на максимальных оборотах:",
        "      #A)",
        "",
        "  #C",
        "",
        "   Решение по автомобилю :   #9              Подпись:",
    };
    if (!norms) lines.removeAt(26);
    return lines;
}

QByteArray CrLfBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += EncodeCp1251(line) + "\r\n";
    return bytes;
}

}  // namespace

class ReportTemplateTest : public QObject {
    Q_OBJECT

private slots:
    void everyCodeRendersItsValue_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("#0 valid") << "#0" << kValidFree;
        QTest::newRow("#1") << "  #1"
                            << "  Станция техосмотра";
        QTest::newRow("#2 keeps its blanks") << "#2|"
                                             << "  тел. 123|";
        QTest::newRow("#3 #4 #5") << "#3/#4/#5"
                                  << "А123АА/КАМАЗ/Иванов";
        QTest::newRow("#6 value not rescanned") << "[#6]"
                                                << "[доп#3]";
        QTest::newRow("#7 #8") << "#7 #8"
                               << "06.12.2026 14:05:07";
        QTest::newRow("#9") << "Решение: #9"
                            << "Решение: ГОДЕН";
        QTest::newRow("#A valid") << "      #A)"
                                  << "      " + kValidMax + ")";
        QTest::newRow("#B") << "VIN: #B"
                            << "VIN: XTA21099";
        QTest::newRow("#C") << "  #C"
                            << "  Нормы:       по ГОСТ без наддува:   2,5  м-1";
        QTest::newRow("plain text untouched") << "  Текст  "
                                              << "  Текст  ";
        QTest::newRow("empty line") << ""
                                    << "";
        QTest::newRow("##") << "a##b"
                            << "ab";
        QTest::newRow("##F leaves F") << "##F"
                                      << "F";
        QTest::newRow("#d small letter") << "x#dy"
                                         << "xy";
        QTest::newRow("#D") << "x#Dy"
                            << "xy";
        QTest::newRow("#E") << "x#Ey"
                            << "xy";
        QTest::newRow("#c small letter") << "x#cy"
                                         << "xy";
        QTest::newRow("# and space") << "x# y"
                                     << "xy";
        QTest::newRow("# and Cyrillic") << "x#Жy"
                                        << "xy";
        QTest::newRow("trailing #") << "a#"
                                    << "a";
        QTest::newRow("lone #") << "#"
                                << "";
        QTest::newRow("1#F") << "    1#F"
                             << "    1" + kRow1;
        QTest::newRow("2#F") << "2#F"
                             << "2" + kRow2;
        QTest::newRow("4#F not taken") << "4#F"
                                       << "4" + kRow4;
        QTest::newRow("7#F shows 3") << "7#F"
                                     << "7" + kRow3;
        QTest::newRow("0#F shows 3") << "0#F"
                                     << "0" + kRow3;
        QTest::newRow("#F first shows 3") << "#F" << kRow3;
        QTest::newRow("x#F shows 3") << "x#F"
                                     << "x" + kRow3;
        QTest::newRow("#3#F digit of the code") << "#3#F"
                                                << "А123АА" + kRow3;
        QTest::newRow("#1#F digit of the code") << "#1#F"
                                                << "Станция техосмотра" + kRow1;
        QTest::newRow("two rows") << "1#F2#F"
                                  << "1" + kRow1 + "2" + kRow2;
        QTest::newRow("codes back to back") << "#3#4#5"
                                            << "А123ААКАМАЗИванов";
    }
    void everyCodeRendersItsValue() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(RenderLine(line, Values()), expected);
    }

    void resultLinesFollowTheStatus_data() {
        QTest::addColumn<bool>("freeAccel");
        QTest::addColumn<int>("meanX10");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");
        QTest::newRow("#0 zero opacity")
            << true << 0 << 0 << "K = 0,000 м-1 ,   Ср.дымность N = 0,0 % ";
        QTest::newRow("#0 status 1")
            << true << 178 << 1 << "  Результат недействителен,убывающая последовательность  ";
        QTest::newRow("#0 status 2")
            << true << 178 << 2 << "  Результат недействителен,превышение зоны  ";
        QTest::newRow("#0 unknown status") << true << 178 << 3 << "";
        QTest::newRow("#0 negative status") << true << 178 << -1 << "";
        QTest::newRow("#0 full opacity")
            << true << 1000 << 0 << "K = >> м-1 ,   Ср.дымность N = 100,0 % ";
        QTest::newRow("#0 no test yet") << true << -1 << 0 << "";
        QTest::newRow("#A no test yet") << false << -1 << 0 << "";
        QTest::newRow("#A status 1")
            << false << 250 << 1 << "  Результат недействителен,превышение зоны  ";
        QTest::newRow("#A status 2 unknown") << false << 250 << 2 << "";
        QTest::newRow("#A high opacity")
            << false << 995 << 0 << "K = 12,322 м-1 ,   Ср.дымность N = 99,5 % ";
    }
    void resultLinesFollowTheStatus() {
        QFETCH(bool, freeAccel);
        QFETCH(int, meanX10);
        QFETCH(int, status);
        QFETCH(QString, expected);
        ReportValues v = Values();
        // A mean of -1 stands for a test that has not brought its result in.
        v.results.hasFreeAccelResult = v.results.hasMaxSpeedResult = meanX10 >= 0;
        if (freeAccel) {
            v.results.freeAccelMeanX10 = meanX10;
            v.results.freeAccelValidity = status;
        } else {
            v.results.maxSpeedMeanX10 = meanX10;
            v.results.maxSpeedValidity = status;
        }
        QCOMPARE(RenderLine(freeAccel ? "<#0>" : "<#A>", v), "<" + expected + ">");
    }

    void longColumnIsPrintedWholeAndShiftsTheRest() {
        ReportValues v = Values();
        v.oilText = QStringLiteral("очень длинный текст");
        QCOMPARE(
            RenderLine("2#F", v),
            QStringLiteral("2         0,500       19,4        очень длинный текст2500        "));
    }

    void normLineOnlyWhenNormsAreInTheReport() {
        ReportValues v = Values();
        v.normsInReport = false;
        QCOMPARE(RenderLine("  [#C]", v), QStringLiteral("  []"));
    }

    void numbersUseTheGivenSeparator() {
        ReportValues v = Values();
        v.decimalSeparator = QLatin1Char('.');
        QCOMPARE(RenderLine("#0", v), QStringLiteral("K = 0.456 м-1 ,   Ср.дымность N = 17.8 % "));
        QVERIFY(RenderLine("1#F", v).startsWith(QStringLiteral("1         12.346      45.3  ")));
    }

    void defaultTemplateIsWrittenByteForByte_data() {
        QTest::addColumn<bool>("norms");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("with norms") << true << 29;
        QTest::newRow("without norms") << false << 28;
    }
    void defaultTemplateIsWrittenByteForByte() {
        QFETCH(bool, norms);
        QFETCH(int, lineCount);
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        ReportValues v = Values();
        v.normsInReport = norms;
        const QStringList report = ComposeReportLines(programDir, v).lines;

        const QByteArray bytes = FileBytes(programDir + "TemplateDef.txt");
        QCOMPARE(bytes, CrLfBytes(ExpectedDefaultLines(norms)));
        QCOMPARE(bytes.count("\r\n"), lineCount);
        QCOMPARE(bytes.count('\n'), lineCount);
        // The column header in the code page: "  № Изм." then six spaces.
        QVERIFY(
            bytes.contains(QByteArray::fromHex("20 20 b9 20 c8 e7 ec 2e 20 20 20 20 20 20 4b")));

        QCOMPARE(report.size(), lineCount);
        QCOMPARE(report[1], QStringLiteral("  Станция техосмотра"));
        QCOMPARE(report[4], QStringLiteral("     № автомобиля:  А123АА       VIN:   XTA21099"));
        QCOMPARE(report[16], "    1" + kRow1);
        QCOMPARE(report[15].size(), 14 + 4 * 12);
        QCOMPARE(report[15].size(), report[16].size());  // the rows line up under the header
        QCOMPARE(report.last(),
                 QStringLiteral("   Решение по автомобилю :   ГОДЕН              Подпись:"));
        QCOMPARE(report.contains(QStringLiteral("  Нормы:       по ГОСТ без наддува:   2,5  м-1")),
                 norms);
        QCOMPARE(DefaultTemplate(norms), ExpectedDefaultLines(norms));
    }

    void existingTemplateIsNeverRewritten() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        ReportValues v = Values();
        v.normsInReport = false;
        ComposeReportLines(programDir, v);
        const QByteArray first = FileBytes(programDir + "TemplateDef.txt");
        // Switching the option on later changes neither the file nor the lines
        // (the file has no "#C"); a "#C" typed in by hand shows only while it is on.
        v.normsInReport = true;
        QCOMPARE(ComposeReportLines(programDir, v).lines.size(), 28);
        QCOMPARE(FileBytes(programDir + "TemplateDef.txt"), first);

        PutFile(programDir + "TemplateDef.txt", "#C\r\n");
        QCOMPARE(ComposeReportLines(programDir, v).lines,
                 QStringList{"Нормы:       по ГОСТ без наддува:   2,5  м-1"});
        v.normsInReport = false;
        QCOMPARE(ComposeReportLines(programDir, v).lines, QStringList{""});
    }

    void templatesAreReadWithAnyLineEnd_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("edited, CR LF") << EncodeCp1251("Номер: #3\r\n\r\n  #9  \r\n")
                                       << QStringList{"Номер: А123АА", "", "  ГОДЕН  "};
        QTest::newRow("LF only") << QByteArray("#7\n\n2#F\n")
                                 << QStringList{"06.12.2026", "", "2" + kRow2};
        QTest::newRow("CR only") << QByteArray("a#3\rb\r\rc")
                                 << QStringList{"aА123АА", "b", "", "c"};
        QTest::newRow("mixed") << QByteArray("a\r\n\nb\rc\n\r")
                               << QStringList{"a", "", "b", "c", ""};
        QTest::newRow("no line end") << QByteArray("  #4") << QStringList{"  КАМАЗ"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("one line end") << QByteArray("\r\n") << QStringList{""};
        QByteArray binary;
        for (int b = 0; b < 256; ++b) binary.append(static_cast<char>(b));
        // LF (10) and CR (13) end lines; "#$" (35, 36) is no code and vanishes.
        QByteArray third = binary.mid(14);
        third.remove(35 - 14, 2);
        QTest::newRow("binary") << binary
                                << QStringList{DecodeCp1251(binary.left(10)),
                                               DecodeCp1251(binary.mid(11, 2)),
                                               DecodeCp1251(third)};
    }
    void templatesAreReadWithAnyLineEnd() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        PutFile(programDir + "TemplateDef.txt", bytes);
        QCOMPARE(ComposeReportLines(programDir, Values()).lines, expected);
        QCOMPARE(FileBytes(programDir + "TemplateDef.txt"), bytes);
    }

    void megabyteLineWithoutLineEndsRendersWhole() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i) bytes += "#3x";
        PutFile(programDir + "TemplateDef.txt", bytes);
        const QStringList report = ComposeReportLines(programDir, Values()).lines;
        QCOMPARE(report.size(), 1);
        QCOMPARE(report[0], QStringLiteral("А123ААx").repeated(100000));
    }

    void everyCompositionReadsTheTemplateAfresh() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        PutFile(programDir + "TemplateDef.txt", "#3\r\n");
        QCOMPARE(ComposeReportLines(programDir, Values()).lines, QStringList{"А123АА"});
        PutFile(programDir + "TemplateDef.txt", "#4\r\n");
        QCOMPARE(ComposeReportLines(programDir, Values()).lines, QStringList{"КАМАЗ"});
    }

    void unreadableTemplateGivesTheBuiltInReportAndSaysSo() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        // A folder in the template's place exists but cannot be read as a file.
        QVERIFY(QDir(dir.path()).mkdir("TemplateDef.txt"));
        const ComposedReport report = ComposeReportLines(programDir, Values());
        QVERIFY(report.templateUnreadable);
        QCOMPARE(report.lines, ComposeReportLines(dir.path() + "/none/", Values()).lines);
        QVERIFY(QFileInfo(programDir + "TemplateDef.txt").isDir());
        QVERIFY(!ComposeReportLines(dir.path() + "/none/", Values()).templateUnreadable);
    }

    void unwritableFolderStillGivesTheDefaultReport() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/missing/folder/";
        const QStringList report = ComposeReportLines(programDir, Values()).lines;
        QCOMPARE(report.size(), 29);
        QCOMPARE(report[13], "      " + kValidFree);
        QVERIFY(!QFile::exists(programDir + "TemplateDef.txt"));
        QVERIFY(!QFile::exists(TemporaryPathFor(programDir + "TemplateDef.txt")));
    }

    void stampedBaseNames_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("expected");
        const QDateTime december(QDate(2026, 12, 6), QTime(14, 5, 7));
        QTest::newRow("both") << "А123АА"
                              << "Иванов" << december << "А123АА_Иванов_12-06_14-05";
        QTest::newRow("neither") << ""
                                 << "" << december << "12-06_14-05";
        QTest::newRow("blanks trimmed") << " А123АА "
                                        << "   " << december << "А123АА_12-06_14-05";
        QTest::newRow("owner only") << ""
                                    << " Иванов" << december << "Иванов_12-06_14-05";
        QTest::newRow("midnight, January")
            << ""
            << "" << QDateTime(QDate(2027, 1, 2), QTime(0, 7, 59)) << "01-02_00-07";
        QTest::newRow("evening") << ""
                                 << "" << QDateTime(QDate(2027, 10, 31), QTime(23, 59))
                                 << "10-31_23-59";
        QTest::newRow("forbidden characters kept") << "A/1"
                                                   << "a:b" << december << "A/1_a:b_12-06_14-05";
    }
    void stampedBaseNames() {
        QFETCH(QString, number);
        QFETCH(QString, owner);
        QFETCH(QDateTime, moment);
        QFETCH(QString, expected);
        ReportHeader header;
        header.vehicleNumber = number;
        header.owner = owner;
        header.make = QStringLiteral("КАМАЗ");  // not part of the name
        QCOMPARE(StampedBaseName(header, moment), expected);
    }
};

QTEST_APPLESS_MAIN(ReportTemplateTest)
#include "test_report_template.moc"
