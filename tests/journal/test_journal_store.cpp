// The journal's database, in SQLite and on a real PostgreSQL server the test
// starts: entries back exactly, pages and filters, later schemas and damaged
// files, two lanes on one server and entries waiting while it is down.
#include "base/quantities.h"
#include "base/text_codec.h"
#include "journal/journal.h"
#include "journal/journal_store.h"
#include "journal/journal_table.h"
#include "testing/journal_entries.h"
#include "testing/postgres_server.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;
using kelvaron::testing::PostgresServer;
using kelvaron::testing::SyntheticEntry;

namespace {

const QString kService = QString::fromLatin1(PostgresServer::kService);

// Runs `sql` on the test's server outside the journal's own connections.
bool OnServer(const QString& sql) {
    bool done = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setConnectOptions(QStringLiteral("service=") + kService);
        done = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return done;
}

}  // namespace

class TestJournalStore : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    PostgresServer server_;
    bool serverUp_ = false;
    int files_ = 0;

    QString NewFile() { return folder_.filePath(QStringLiteral("j%1.sqlite").arg(files_++)); }

    // An empty journal of the backend the row names; none where the server is not up.
    std::unique_ptr<JournalStore> EmptyStore(const QString& backend) {
        if (backend == QLatin1String("sqlite")) return JournalStore::OpenLocal(NewFile());
        if (!serverUp_) return nullptr;
        auto store = JournalStore::OpenShared(kService);
        if (!OnServer(QStringLiteral("TRUNCATE entries"))) return nullptr;
        return store;
    }

    static void Backends() {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    void SkipWithoutServer(const QString& backend) {
        if (backend == QLatin1String("postgresql") && !serverUp_)
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + server_.Reason()));
    }

private slots:
    void initTestCase() {
        serverUp_ = server_.Start();
        if (!serverUp_) qWarning("PostgreSQL cases skip: %s", qPrintable(server_.Reason()));
        qputenv("PGSERVICEFILE", server_.ServiceFile().toLocal8Bit());
    }

    // Header texts are the operator's (or anyone's) input: stored and read back
    // exactly, whatever they hold, and they never change what a query does.
    void hostileTextsComeBackExactly_data() { Backends(); }
    void hostileTextsComeBackExactly() {
        QFETCH(QString, backend);
        SkipWithoutServer(backend);
        auto store = EmptyStore(backend);
        QVERIFY2(store && store->IsOpen(), store ? qPrintable(store->Problem()) : "no store");
        const QStringList texts = {
            QString(),  // a field never filled in
            QStringLiteral("А'777'АА\"; DROP TABLE entries; --"),
            QStringLiteral("до") + QChar(0) + QStringLiteral("после NUL"),
            QString(64 * 1024, QChar(0x0416)),
            QStringLiteral("100% _ \\ \r\n; \t 😀"),
        };
        for (int i = 0; i < texts.size(); ++i) {
            JournalEntry entry = SyntheticEntry(i);
            entry.header.vehicleNumber = entry.header.owner = entry.header.extra = texts[i];
            entry.header.vin = entry.header.make = entry.header.decision = texts[i];
            entry.report.append(texts[i]);
            QVERIFY(store->Write(entry));
            QCOMPARE(store->Load(entry.id), std::optional<JournalEntry>(entry));
        }
        QCOMPARE(store->Count({}), texts.size());
        // An older revision written late (a repeat after a lost answer) changes nothing.
        JournalEntry newer = SyntheticEntry(0);
        newer.revision = 3;
        QVERIFY(store->Write(newer));
        JournalEntry older = newer;
        older.revision = 2;
        older.header.decision = QStringLiteral("устарело");
        QVERIFY(store->Write(older));
        QCOMPARE(store->Load(newer.id), std::optional<JournalEntry>(newer));
    }

    // The CSV a spreadsheet opens: Windows-1251, ';' and CR LF; a header text stays
    // one field and never becomes a formula.
    void csvKeepsHeaderTextsInert() {
        EntrySummary e = SummaryOf(SyntheticEntry(3));
        e.number = QStringLiteral("=HYPERLINK(\"x\");1");
        e.make = QStringLiteral(" -2 ");
        e.owner = QStringLiteral("Иванов\r\nПетров");
        e.meanN = 100;
        e.meanK = OpacityToK(100);
        const QByteArray csv = JournalCsv({e});
        QCOMPARE(csv.count("\r\n"), 3);  // the owner's own line break stays inside its quotes
        QCOMPARE(
            DecodeCp1251(csv.split('\n').at(1)),
            QStringLiteral("01.03.2026;8:04:51;\"'=HYPERLINK(\"\"x\"\");1\";\"' -2 \";\"Иванов\r"));
        QVERIFY(csv.contains(EncodeCp1251(QStringLiteral("Петров\";Макс.обороты;>>;100,0;"))));
    }

    // Newest first a page at a time, each entry once; the filters agree with the
    // entries themselves, and a fragment's own '%' or '_' matches only itself.
    void pagesAndFilters_data() { Backends(); }
    void pagesAndFilters() {
        QFETCH(QString, backend);
        SkipWithoutServer(backend);
        auto store = EmptyStore(backend);
        QVERIFY(store && store->IsOpen());
        QList<JournalEntry> all;
        for (int n = 0; n < 230; ++n) {
            all << SyntheticEntry(n, n % 2 ? QStringLiteral("Линия 2") : QStringLiteral("Линия 1"));
            QVERIFY(store->Write(all.last()));
        }
        QStringList paged;
        std::optional<PagePosition> after;
        for (QList<EntrySummary> page; !(page = store->Page({}, after, 100)).isEmpty();) {
            for (const EntrySummary& s : page) paged << s.id;
            after = PagePosition{page.last().moment, page.last().id};
        }
        QStringList newestFirst;
        for (auto it = all.crbegin(); it != all.crend(); ++it) newestFirst << it->id;
        QCOMPARE(paged, newestFirst);

        const auto expected = [&](const QString& fragment, const QDate& day, const QString& lane) {
            int count = 0;
            for (const JournalEntry& e : all)
                count += e.header.vehicleNumber.contains(fragment, Qt::CaseInsensitive) &&
                         (!day.isValid() || e.moment.date() == day) &&
                         (lane.isEmpty() || e.lane == lane);
            return count;
        };
        const QDate day(2026, 3, 1);
        for (const auto& [fragment, date, lane] :
             {std::tuple{QStringLiteral("а01"), QDate(), QString()},
              std::tuple{QStringLiteral("ВС78"), day, QStringLiteral("Линия 2")},
              std::tuple{QString(), day.addDays(1), QString()},
              std::tuple{QStringLiteral("%"), QDate(), QString()},
              std::tuple{QStringLiteral("_"), QDate(), QString()}}) {
            const JournalFilter filter{date, date, fragment, lane};
            QCOMPARE(store->Count(filter), expected(fragment, date, lane));
            QCOMPARE(store->Page(filter, std::nullopt, 1000).size(),
                     expected(fragment, date, lane));
        }
        // Typed on a Latin keyboard, a plate's letters still find the Cyrillic ones.
        QCOMPARE(store->Count({{}, {}, QStringLiteral("01 bc"), {}}),
                 expected(QStringLiteral("01ВС"), {}, {}));
        QCOMPARE(store->Lanes(),
                 (QStringList{QStringLiteral("Линия 1"), QStringLiteral("Линия 2")}));
    }

    // A journal of a later program is read, never written; a damaged file is no
    // journal at all, said once in the state the window shows.
    void laterSchemaAndDamagedFile() {
        const QString later = NewFile();
        QVERIFY(JournalStore::OpenLocal(later)->Write(SyntheticEntry(1)));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("later"));
            db.setDatabaseName(later);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE journal_meta SET value = '99'")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("later"));
        auto store = JournalStore::OpenLocal(later);
        QVERIFY(store->IsOpen() && store->ReadOnly());
        QVERIFY(!store->Write(SyntheticEntry(2)));
        QCOMPARE(store->Count({}), 1);

        // A service name that would bring options of its own is refused (this one
        // would reach the test's server).
        if (serverUp_) QVERIFY(!JournalStore::OpenShared(kService + " dbname=postgres")->IsOpen());

        const QString damaged = NewFile();
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3") + QByteArray(4096, '\x5a'));
        file.close();
        Journal journal({damaged, false, {}, QStringLiteral("Линия 1")});
        journal.Keep(SyntheticEntry(1));
        journal.Flush();
        QVERIFY(!journal.State().available);
        QVERIFY(JournalStateLine(journal.Settings(), journal.State())
                    .startsWith(QStringLiteral("Журнал не ведется: ")));
    }

    // Two lanes write to one server; while it is down their entries wait in their
    // own files and the status line counts them; back up, each arrives once.
    void twoLanesAndAServerThatGoesAway() {
        if (!serverUp_)
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + server_.Reason()));
        QVERIFY(JournalStore::OpenShared(kService)->IsOpen());  // the schema, first time
        QVERIFY(OnServer(QStringLiteral("TRUNCATE entries")));
        const QStringList lanes = {QStringLiteral("Линия 1"), QStringLiteral("Линия 2")};
        Journal one({NewFile(), true, kService, lanes[0]});
        Journal two({NewFile(), true, kService, lanes[1]});
        for (int n = 0; n < 10; ++n) {
            one.Keep(SyntheticEntry(n, lanes[0]));
            two.Keep(SyntheticEntry(n, lanes[1]));
        }
        one.Flush();
        two.Flush();
        QCOMPARE(one.State().waiting, 0);

        QVERIFY(server_.Stop());
        for (int n = 10; n < 15; ++n) one.Keep(SyntheticEntry(n, lanes[0]));
        one.Flush();
        QCOMPARE(one.State().waiting, 5);
        QVERIFY(!one.State().sharedReachable);
        QVERIFY(
            JournalStateLine(one.Settings(), one.State())
                .startsWith(QStringLiteral("Журнал: 5 записей ждут сервера (сервер недоступен: ")));

        QVERIFY(server_.Resume());
        one.SendWaiting();
        one.Flush();
        QCOMPARE(one.State().waiting, 0);
        QVERIFY(JournalStateLine(one.Settings(), one.State()).isEmpty());

        auto server = JournalStore::OpenShared(kService);
        QCOMPARE(server->Count({}), 25);
        QCOMPARE(server->Count({{}, {}, {}, lanes[1]}), 10);
        QSet<QString> ids;
        for (const EntrySummary& s : server->Page({}, std::nullopt, 100)) ids.insert(s.id);
        QCOMPARE(ids.size(), 25);
        for (int n = 0; n < 15; ++n)
            QCOMPARE(server->Load(SyntheticEntry(n, lanes[0]).id),
                     std::optional(SyntheticEntry(n, lanes[0])));

        // An entry the server refuses while it answers waits and is said; the
        // entries behind it still go over.
        QVERIFY(OnServer(QStringLiteral("ALTER TABLE entries ADD CHECK (number <> 'ОТКАЗ')")));
        JournalEntry refused = SyntheticEntry(15, lanes[0]);
        refused.header.vehicleNumber = QStringLiteral("ОТКАЗ");
        one.Keep(refused);
        one.Keep(SyntheticEntry(16, lanes[0]));
        one.Flush();
        QCOMPARE(one.State().waiting, 1);
        QCOMPARE(server->Count({}), 26);
        QCOMPARE(JournalStateLine(one.Settings(), one.State()),
                 QStringLiteral("Журнал: 1 запись ждет сервера (не принято: 1)"));
    }
};

QTEST_GUILESS_MAIN(TestJournalStore)
#include "test_journal_store.moc"
