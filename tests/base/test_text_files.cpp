// The Windows-1251 code page and whole-file text reads and writes.
#include "base/text_codec.h"
#include "base/text_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;

class TextFilesTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
        const QString text = DecodeCp1251(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(EncodeCp1251(text), all);
    }

    void programTextsEncodeAsTheCodePageSays_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Связь") << QStringLiteral("Связь") << QByteArray::fromHex("d1e2ffe7fc");
        QTest::newRow("Измерение №")
            << QStringLiteral("Измерение №") << QByteArray::fromHex("c8e7ece5f0e5ede8e520b9");
        QTest::newRow("Ёё") << QStringLiteral("Ёё") << QByteArray::fromHex("a8b8");
        QTest::newRow("м-1 and %") << QStringLiteral("м-1 %") << QByteArray::fromHex("ec2d312025");
        QTest::newRow("euro, dashes, quotes")
            << QStringLiteral("€–—«»") << QByteArray::fromHex("889697abbb");
        QTest::newRow("outside the page") << QStringLiteral("a★ü") << QByteArray("a??");
        QTest::newRow("beyond 16 bits, one question mark each")
            << QString::fromUtf8("x\xF0\x9F\x98\x80y\xF0\x9D\x90\x80") << QByteArray("x?y?");
    }
    void programTextsEncodeAsTheCodePageSays() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(EncodeCp1251(text), bytes);
    }

    void textFilesAreWrittenWithCrLfAndReadBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath("norma.txt");
        QVERIFY(WriteTextFile(path, QStringLiteral("Нормы\nвторая\r\n")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray::fromHex("cdeef0ecfb0d0ae2f2eef0e0ff0d0a"));
        QCOMPARE(ReadTextFile(path).value(), QStringLiteral("Нормы\nвторая\n"));
        QVERIFY(!ReadTextFile(dir.filePath("missing.txt")).has_value());
    }
};

QTEST_APPLESS_MAIN(TextFilesTest)
#include "test_text_files.moc"
