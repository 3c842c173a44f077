// What the journal reads from files it did not write itself: the station's
// "Kelvaron.ini", as a technician types it in any editor, and entry records that
// a damaged database hands back.
#include "base/text_codec.h"
#include "journal/journal_entry.h"
#include "journal/journal_settings.h"
#include "testing/journal_entries.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;

class JournalFilesTest : public QObject {
    Q_OBJECT

private slots:
    void settingsFileAsTyped_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("lane");  // empty: the host name
        const QByteArray lane2 = QStringLiteral("Линия 2").toUtf8();
        QTest::newRow("no file") << QByteArray() << false << QString() << QString();
        QTest::newRow("UTF-8, CR LF, comments")
            << "; station\r\n[journal]\r\nserver = postgresql ; shared\r\nservice=kelvaron # pg\r\n"
               "lane = " +
                   lane2 + "\r\n"
            << true << "kelvaron"
            << "Линия 2";
        QTest::newRow("UTF-8 with a byte order mark, names in any case")
            << "\xEF\xBB\xBF[Journal]\nSERVER = PostgreSQL\nService = kelvaron\nLane=" + lane2
            << true << "kelvaron"
            << "Линия 2";
        QTest::newRow("Windows-1251") << "[journal]\nserver=postgresql\nservice=kelvaron\nlane=" +
                                             EncodeCp1251(QStringLiteral("Линия 2"))
                                      << true << "kelvaron"
                                      << "Линия 2";
        QTest::newRow("a ';' inside a value stays")
            << QByteArray("[journal]\nserver=postgresql\nservice=a;b\nlane=1;2") << true << "a;b"
            << "1;2";
        QTest::newRow("no service: the local journal only")
            << QByteArray("[journal]\nserver=postgresql\nlane=") << false << QString() << QString();
        QTest::newRow("keys of another section ignored")
            << QByteArray("[other]\nserver=postgresql\nservice=x\n[journal]\nlane=L") << false
            << QString() << "L";
        QTest::newRow("another server kind")
            << QByteArray("[journal]\nserver=mysql\nservice=x") << false << "x" << QString();
    }
    void settingsFileAsTyped() {
        QFETCH(QByteArray, file);
        QFETCH(bool, shared);
        QFETCH(QString, service);
        QFETCH(QString, lane);
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        if (!file.isEmpty()) {
            QFile ini(folder + kJournalSettingsFile);
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(file);
        }
        const JournalSettings settings = ReadJournalSettings(folder);
        QCOMPARE(settings.localPath, folder + kJournalFileName);
        QCOMPARE(settings.shared, shared);
        QCOMPARE(settings.service, service);
        QCOMPARE(settings.lane, lane.isEmpty() ? QSysInfo::machineHostName() : lane);
    }

    // A record cut short anywhere, or with a damaged mark, version or kind, is
    // refused as a whole: never an entry with fields missing, never a crash.
    void damagedRecordsAreRefused() {
        const JournalEntry entry = testing::SyntheticEntry(7);
        const QByteArray whole = EncodeEntry(entry);
        QCOMPARE(DecodeEntry(whole), std::optional<JournalEntry>(entry));
        for (qsizetype size = 0; size < whole.size(); ++size)
            QVERIFY2(!DecodeEntry(whole.left(size)), qPrintable(QString::number(size)));
        QVERIFY(!DecodeEntry(whole + '\0'));
        for (int at = 0; at < 10; ++at) {
            QByteArray damaged = whole;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x40);
            QVERIFY2(!DecodeEntry(damaged), qPrintable(QString::number(at)));
        }
    }
};

QTEST_GUILESS_MAIN(JournalFilesTest)
#include "test_journal_files.moc"
