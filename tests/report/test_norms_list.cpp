// The norms list in "norma.txt": loading, the built-in norms, adding, and which
// entry and text a stored index gives. Files are checked byte for byte.
#include "base/safe_file.h"
#include "base/text_codec.h"
#include "report/norms_list.h"
#include "testing/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kelvaron;
using kelvaron::testing::FileBytes;
using kelvaron::testing::PutFile;

namespace {

const QString kFirst = QStringLiteral("    по ГОСТ без наддува:   2,5  м-1");
const QString kSecond = QStringLiteral("    по ГОСТ с наддувом:    3,0  м-1");
// The built-in norms as they stand in the file.
const QByteArray kDefaultBytes = QByteArray::fromHex(
    "20202020efee20c3ced1d220e1e5e720ede0e4e4f3e2e03a202020322c352020ec2d31"
    "0d0a"
    "20202020efee20c3ced1d220f120ede0e4e4f3e2eeec3a20202020332c302020ec2d31"
    "0d0a");

}  // namespace

class NormsListTest : public QObject {
    Q_OBJECT

private slots:
    void builtInNormsAreThirtyFiveCharacters() {
        QCOMPARE(DefaultNorms(), (QStringList{kFirst, kSecond}));
        QCOMPARE(kFirst.size(), 35);
        QCOMPARE(kSecond.size(), 35);
    }

    void missingFileIsCreatedWithTheBuiltInNorms() {
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        QStringList list;
        LoadNormsList(path, list);
        QCOMPARE(list, (QStringList{kFirst, kSecond}));
        QCOMPARE(FileBytes(path), kDefaultBytes);
    }

    void missingFileReplacesOnlyTheFirstTwoEntriesOfTheList() {
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        QStringList list = {"a", "b", "c"};
        LoadNormsList(path, list);
        QCOMPARE(list, (QStringList{kFirst, kSecond, "c"}));
        QCOMPARE(FileBytes(path), kDefaultBytes + "c\r\n");

        QStringList one = {"a"};
        QFile::remove(path);
        LoadNormsList(path, one);
        QCOMPARE(one, (QStringList{kFirst, kSecond}));
    }

    void emptyFileIsRewrittenWithTheBuiltInNorms() {
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        PutFile(path, {});
        QStringList list = {"left from before", "x", "y"};
        LoadNormsList(path, list);
        QCOMPARE(list, (QStringList{kFirst, kSecond}));
        QCOMPARE(FileBytes(path), kDefaultBytes);
    }

    void everyLineIsAnEntryAndTheFileIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("CR LF") << EncodeCp1251("  норма 1\r\n\r\nнорма 3 \r\n")
                               << QStringList{"  норма 1", "", "норма 3 "};
        QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("LF only") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("two empty lines") << QByteArray("\n\r") << QStringList{"", ""};
        QTest::newRow("binary") << QByteArray("\x01\x00\xff", 3)
                                << QStringList{DecodeCp1251(QByteArray("\x01\x00\xff", 3))};
    }
    void everyLineIsAnEntryAndTheFileIsLeftAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        PutFile(path, bytes);
        QStringList list = {"a", "b", "c", "d", "e"};
        LoadNormsList(path, list);
        QCOMPARE(list, expected);
        QCOMPARE(FileBytes(path), bytes);
    }

    void savedListReadsBackAsTheSameEntries() {
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        const QStringList list = {"", " 3,5 м-1", "", "№ 2"};
        QVERIFY(SaveNormsList(path, list));
        QCOMPARE(FileBytes(path), EncodeCp1251("\r\n 3,5 м-1\r\n\r\n№ 2\r\n"));
        QStringList read;
        LoadNormsList(path, read);
        QCOMPARE(read, list);
    }

    void unreadableFileGivesTheBuiltInNormsAndIsNeverWritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder") << "folder";
        QTest::newRow("over the size limit") << "large";
    }
    void unreadableFileGivesTheBuiltInNormsAndIsNeverWritten() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        const QByteArray large = QByteArray("2,5\r\n").repeated(kMaxTextFileBytes / 5 + 1);
        if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("norma.txt"));
        else
            PutFile(path, large);
        QStringList list = {"a", "b", "c"};
        const NormsSource source = LoadNormsList(path, list);
        QCOMPARE(list, (QStringList{kFirst, kSecond}));
        // "Добавить" keeps the new norm for the run, and the station's file stays.
        QCOMPARE(AddNorm(path, list, " 3,5 м-1", source), std::optional<int>(2));
        QCOMPARE(QFileInfo(path).isDir(), kind == "folder");
        if (kind == "large") QCOMPARE(FileBytes(path), large);
    }

    void addingAppendsTheTextAsTyped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("added");
        QTest::newRow("two spaces") << "  " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("tab") << "\t" << false;
        QTest::newRow("leading blank kept") << " 3,5 м-1" << true;
        QTest::newRow("trailing blanks kept") << "норма  " << true;
    }
    void addingAppendsTheTextAsTyped() {
        QFETCH(QString, text);
        QFETCH(bool, added);
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        QStringList list;
        const NormsSource source = LoadNormsList(path, list);
        const std::optional<int> index = AddNorm(path, list, text, source);
        QCOMPARE(index.has_value(), added);
        if (added) {
            QCOMPARE(*index, 2);
            QCOMPARE(list, (QStringList{kFirst, kSecond, text}));
            QCOMPARE(FileBytes(path), kDefaultBytes + EncodeCp1251(text) + "\r\n");
        } else {
            QCOMPARE(list.size(), 2);
            QCOMPARE(FileBytes(path), kDefaultBytes);
        }
    }

    void storedIndexChoosesTheEntry_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("normIndex");
        QTest::addColumn<int>("chosen");
        QTest::newRow("first") << 2 << 0 << 0;
        QTest::newRow("last") << 3 << 2 << 2;
        QTest::newRow("one beyond") << 3 << 3 << 0;
        QTest::newRow("5 of three") << 3 << 5 << 0;
        QTest::newRow("7 of five") << 5 << 7 << 0;
        QTest::newRow("7 of eight") << 8 << 7 << 7;
        QTest::newRow("negative") << 3 << -1 << 0;
        QTest::newRow("most negative") << 3 << std::numeric_limits<int>::min() << 0;
        QTest::newRow("empty list") << 0 << 0 << -1;
    }
    void storedIndexChoosesTheEntry() {
        QFETCH(int, entries);
        QFETCH(int, normIndex);
        QFETCH(int, chosen);
        QStringList list;
        for (int i = 0; i < entries; ++i) list << QStringLiteral("норма %1").arg(i);
        const NormChoice choice = ChooseStoredNorm(list, normIndex);
        QCOMPARE(choice.index, chosen);
        QCOMPARE(choice.text, chosen >= 0 ? list[chosen] : QString());
    }

    void confirmedNormText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("typed kept with blanks") << " своя " << 1 << " своя ";
        QTest::newRow("blank takes the entry") << "   " << 1 << "вторая";
        QTest::newRow("empty takes the entry") << "" << 0 << "первая";
        QTest::newRow("nothing selected keeps the text") << "" << -1 << "текущая";
    }
    void confirmedNormText() {
        QFETCH(QString, typed);
        QFETCH(int, selected);
        QFETCH(QString, expected);
        QCOMPARE(ConfirmedNormText(typed, {"первая", "вторая"}, selected, "текущая"), expected);
    }
};

QTEST_APPLESS_MAIN(NormsListTest)
#include "test_norms_list.moc"
