// The journal's schema, its migrations and its queries, the same SQL for SQLite
// and PostgreSQL but for the type of the binary column.
#include "journal/journal_store.h"

#include "base/quantities.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace kelvaron {

namespace {

const QString kMomentFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QString NewConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The schema's steps: step n takes a database of schema n - 1 to schema n. A
// later program appends steps; it never changes one that has shipped.
QStringList SchemaStep(int step, bool shared) {
    const QString binary = shared ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    switch (step) {
        case 1:
            return {
                QStringLiteral("CREATE TABLE IF NOT EXISTS entries ("
                               "id TEXT PRIMARY KEY, revision INTEGER NOT NULL, "
                               "moment TEXT NOT NULL, lane TEXT NOT NULL, "
                               "number TEXT NOT NULL, number_key TEXT NOT NULL, "
                               "make TEXT NOT NULL, owner TEXT NOT NULL, kind INTEGER NOT NULL, "
                               "mean_x10 INTEGER NOT NULL, validity INTEGER NOT NULL, "
                               "decision TEXT NOT NULL)"),
                // The whole records apart, so that a filter reads only the narrow rows.
                QStringLiteral("CREATE TABLE IF NOT EXISTS payloads ("
                               "id TEXT PRIMARY KEY, payload %1 NOT NULL)")
                    .arg(binary),
                QStringLiteral(
                    "CREATE INDEX IF NOT EXISTS entries_by_moment ON entries (moment, id)"),
                QStringLiteral(
                    "CREATE INDEX IF NOT EXISTS entries_by_lane ON entries (lane, moment, id)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS outbox ("
                               "id TEXT PRIMARY KEY, revision INTEGER NOT NULL)"),
            };
        default:
            return {};
    }
}

// A text for a column: the table and the filter show it; the exact text is in
// the entry's record. PostgreSQL's text takes no NUL; a field never filled in is
// an empty text, not NULL.
QString ColumnText(const QString& text) {
    QString column = text.isNull() ? QStringLiteral("") : text;
    column.replace(QChar(0), QLatin1Char(' '));
    return column;
}

// What the number filter compares: upper case, without blanks, and the Latin
// letters a number plate shares with Cyrillic written as the Cyrillic ones, so
// that "A123BC" typed on a Latin keyboard finds "А123ВС".
QString NumberKey(const QString& number) {
    static const QString kLatin = QStringLiteral("ABEKMHOPCTYX");
    static const QString kCyrillic = QStringLiteral("АВЕКМНОРСТУХ");
    QString key = number.toUpper();
    key.remove(QLatin1Char(' '));
    for (QChar& c : key) {
        const qsizetype at = kLatin.indexOf(c);
        if (at >= 0) c = kCyrillic[at];
    }
    return ColumnText(key);
}

// The fragment as a LIKE pattern with '\' escaping the pattern's own characters.
QString ContainsPattern(const QString& fragment) {
    QString escaped = NumberKey(fragment);
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The WHERE clause of `filter` and its values, in order.
QString FilterClause(const JournalFilter& filter, QVariantList& values) {
    QString clause = QStringLiteral(" WHERE 1 = 1");
    if (filter.from.isValid()) {
        clause += QStringLiteral(" AND moment >= ?");
        values << filter.from.startOfDay().toString(kMomentFormat);
    }
    if (filter.to.isValid()) {
        clause += QStringLiteral(" AND moment < ?");
        values << filter.to.addDays(1).startOfDay().toString(kMomentFormat);
    }
    if (!NumberKey(filter.numberFragment).isEmpty()) {
        clause += QStringLiteral(" AND number_key LIKE ? ESCAPE '\\'");
        values << ContainsPattern(filter.numberFragment);
    }
    if (!filter.lane.isEmpty()) {
        clause += QStringLiteral(" AND lane = ?");
        values << ColumnText(filter.lane);
    }
    return clause;
}

bool Run(QSqlQuery& query, const QString& text, const QVariantList& values = {}) {
    if (!query.prepare(text)) return false;
    for (const QVariant& value : values) query.addBindValue(value);
    return query.exec();
}

}  // namespace

JournalStore::JournalStore(const QString& driver, bool shared)
    : name_(NewConnectionName()), shared_(shared) {
    QSqlDatabase::addDatabase(driver, name_);
}

JournalStore::~JournalStore() {
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

std::unique_ptr<JournalStore> JournalStore::OpenLocal(const QString& path, Check check) {
    std::unique_ptr<JournalStore> store(new JournalStore(QStringLiteral("QSQLITE"), false));
    QSqlDatabase db = QSqlDatabase::database(store->name_, false);
    db.setDatabaseName(path);
    // A reader in the window and the writer share the file: one waits for the other.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    store->Prepare(check == Check::Whole);
    return store;
}

std::unique_ptr<JournalStore> JournalStore::OpenShared(const QString& service) {
    std::unique_ptr<JournalStore> store(new JournalStore(QStringLiteral("QPSQL"), true));
    // The name goes into the connection's options: a ";" or a blank in it would
    // add options of its own.
    static const QRegularExpression kServiceName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (!kServiceName.match(service).hasMatch()) {
        store->Fail(QStringLiteral("недопустимое имя службы сервера: ") + service);
        return store;
    }
    QSqlDatabase db = QSqlDatabase::database(store->name_, false);
    // Host, database, user and password come from the service and the user's pgpass.
    // A server that has gone (or a connection a network dropped without a word)
    // answers nothing: every wait is bounded to a few seconds, never TCP's minutes.
    db.setConnectOptions(
        QStringLiteral("service=%1;connect_timeout=3;tcp_user_timeout=3000;"
                       "keepalives_idle=10;keepalives_interval=2;keepalives_count=2")
            .arg(service));
    store->Prepare(false);
    return store;
}

void JournalStore::Fail(const QString& problem) {
    open_ = false;
    problem_ = problem;
}

bool JournalStore::Prepare(bool checkIntegrity) {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (!db.isValid()) {
        Fail(QStringLiteral("нет драйвера базы данных ") + db.driverName());
        return false;
    }
    if (!db.open()) {
        Fail(db.lastError().text());
        return false;
    }
    if (!shared_) {
        QSqlQuery query(db);
        // The write-ahead log: a write never blocks a reader, and a write cut short
        // by a crash is rolled back at the next open. Every commit reaches the disk.
        if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) ||
            !query.exec(QStringLiteral("PRAGMA synchronous = FULL"))) {
            Fail(query.lastError().text());
            return false;
        }
        if (checkIntegrity) {
            if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next() ||
                query.value(0).toString() != QLatin1String("ok")) {
                Fail(QStringLiteral("файл журнала поврежден"));
                return false;
            }
        }
    }
    open_ = true;
    return Migrate();
}

int JournalStore::StoredSchema() {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    QSqlQuery query(db);
    if (!Run(query, QStringLiteral("SELECT value FROM journal_meta WHERE name = ?"),
             {QStringLiteral("schema")}))
        return -1;
    return query.next() ? query.value(0).toString().toInt() : 0;
}

bool JournalStore::Migrate() {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    QSqlQuery query(db);
    // Not looked up in the table list: a server lists tables of another schema
    // than "public" under a longer name.
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS journal_meta ("
                                   "name TEXT PRIMARY KEY, value TEXT NOT NULL)"))) {
        // A file that is no database fails here first.
        Fail(query.lastError().text());
        return false;
    }
    const int stored = StoredSchema();
    if (stored < 0) {
        Fail(query.lastError().text());
        return false;
    }
    if (stored > kJournalSchema) {
        readOnly_ = true;
        problem_ = QStringLiteral(
            "журнал ведет более новая версия программы; он открыт только для "
            "чтения");
        return true;
    }
    for (int step = stored + 1; step <= kJournalSchema; ++step) {
        bool done = db.transaction();
        for (const QString& statement : SchemaStep(step, shared_))
            done = done && query.exec(statement);
        done =
            done && Run(query,
                        QStringLiteral("INSERT INTO journal_meta (name, value) VALUES (?, ?) "
                                       "ON CONFLICT (name) DO UPDATE SET value = excluded.value"),
                        {QStringLiteral("schema"), QString::number(step)});
        if (!done || !db.commit()) {
            const QString problem = query.lastError().text();
            db.rollback();
            Fail(problem.isEmpty() ? db.lastError().text() : problem);
            return false;
        }
    }
    return true;
}

bool JournalStore::Answers() {
    if (!open_) return false;
    QSqlQuery query(QSqlDatabase::database(name_, false));
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

bool JournalStore::Write(const JournalEntry& entry, bool queue) {
    if (!open_ || readOnly_) return false;
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (!db.transaction()) {
        writeError_ = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    const EntrySummary summary = SummaryOf(entry);
    bool done =
        Run(query,
            QStringLiteral(
                "INSERT INTO entries (id, revision, moment, lane, number, number_key, make, owner, "
                "kind, mean_x10, validity, decision) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (id) DO UPDATE SET revision = excluded.revision, "
                "moment = excluded.moment, lane = excluded.lane, number = excluded.number, "
                "number_key = excluded.number_key, make = excluded.make, owner = excluded.owner, "
                "kind = excluded.kind, mean_x10 = excluded.mean_x10, validity = excluded.validity, "
                "decision = excluded.decision "
                "WHERE entries.revision < excluded.revision"),
            {entry.id, entry.revision, entry.moment.toString(kMomentFormat), ColumnText(entry.lane),
             ColumnText(summary.number), NumberKey(summary.number), ColumnText(summary.make),
             ColumnText(summary.owner), static_cast<int>(entry.kind), entry.MeanX10(),
             entry.ValidityCode(), ColumnText(summary.decision)});
    // The record follows only where the row took this revision.
    if (done && query.numRowsAffected() > 0)
        done = Run(query,
                   QStringLiteral("INSERT INTO payloads (id, payload) VALUES (?, ?) "
                                  "ON CONFLICT (id) DO UPDATE SET payload = excluded.payload"),
                   {entry.id, qCompress(EncodeEntry(entry))});
    if (done && queue)
        done = Run(query,
                   QStringLiteral("INSERT INTO outbox (id, revision) VALUES (?, ?) "
                                  "ON CONFLICT (id) DO UPDATE SET revision = excluded.revision"),
                   {entry.id, entry.revision});
    if (done && db.commit()) return true;
    writeError_ = query.lastError().text();
    db.rollback();
    return false;
}

std::optional<JournalEntry> JournalStore::Load(const QString& id) {
    if (!open_) return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(name_, false));
    if (!Run(query, QStringLiteral("SELECT payload FROM payloads WHERE id = ?"), {id}) ||
        !query.next())
        return std::nullopt;
    return DecodeEntry(qUncompress(query.value(0).toByteArray()));
}

QList<EntrySummary> JournalStore::Page(const JournalFilter& filter,
                                       const std::optional<PagePosition>& after, int limit) {
    QList<EntrySummary> page;
    if (!open_) return page;
    QVariantList values;
    QString text = QStringLiteral(
                       "SELECT id, moment, lane, number, make, owner, kind, mean_x10, validity, "
                       "decision FROM entries") +
                   FilterClause(filter, values);
    if (after) {
        const QString moment = after->moment.toString(kMomentFormat);
        text += QStringLiteral(" AND (moment < ? OR (moment = ? AND id < ?))");
        values << moment << moment << after->id;
    }
    text += QStringLiteral(" ORDER BY moment DESC, id DESC LIMIT ?");
    values << limit;
    QSqlQuery query(QSqlDatabase::database(name_, false));
    query.setForwardOnly(true);
    if (!Run(query, text, values)) return page;
    while (query.next()) {
        EntrySummary s;
        s.id = query.value(0).toString();
        s.moment = QDateTime::fromString(query.value(1).toString(), kMomentFormat);
        s.lane = query.value(2).toString();
        s.number = query.value(3).toString();
        s.make = query.value(4).toString();
        s.owner = query.value(5).toString();
        s.kind = static_cast<TestKind>(query.value(6).toInt());
        s.meanN = query.value(7).toInt() / 10.0;
        s.meanK = OpacityToK(s.meanN);
        s.validity = query.value(8).toInt();
        s.decision = query.value(9).toString();
        page << s;
    }
    return page;
}

int JournalStore::Count(const JournalFilter& filter) {
    if (!open_) return 0;
    QVariantList values;
    const QString text =
        QStringLiteral("SELECT COUNT(*) FROM entries") + FilterClause(filter, values);
    QSqlQuery query(QSqlDatabase::database(name_, false));
    return Run(query, text, values) && query.next() ? query.value(0).toInt() : 0;
}

QStringList JournalStore::Lanes() {
    QStringList lanes;
    QSqlQuery query(QSqlDatabase::database(name_, false));
    if (open_ && query.exec(QStringLiteral("SELECT DISTINCT lane FROM entries ORDER BY lane")))
        while (query.next()) lanes << query.value(0).toString();
    return lanes;
}

QList<std::pair<QString, int32_t>> JournalStore::Waiting(int limit) {
    QList<std::pair<QString, int32_t>> waiting;
    QSqlQuery query(QSqlDatabase::database(name_, false));
    if (open_ &&
        Run(query, QStringLiteral("SELECT id, revision FROM outbox ORDER BY rowid LIMIT ?"),
            {limit}))
        while (query.next()) waiting.append({query.value(0).toString(), query.value(1).toInt()});
    return waiting;
}

int JournalStore::WaitingCount() {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    return open_ && query.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) && query.next()
               ? query.value(0).toInt()
               : 0;
}

bool JournalStore::Sent(const QString& id, int32_t revision) {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    return open_ && !readOnly_ &&
           Run(query, QStringLiteral("DELETE FROM outbox WHERE id = ? AND revision <= ?"),
               {id, revision});
}

}  // namespace kelvaron
