#pragma once
// JournalStore: one connection to a journal database, the program's own SQLite
// file or the station's shared PostgreSQL server, through Qt SQL. It creates and
// migrates the schema, writes entries (one transaction each, every value bound,
// never spliced into the text of a query), and reads them back a page at a time.
// A connection belongs to the thread that opened it.
#include "journal/journal_entry.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

namespace kelvaron {

// The schema this program writes. A database of a later schema is opened for
// reading only.
constexpr int kJournalSchema = 1;

// Which entries the table shows. Empty fields filter nothing.
struct JournalFilter {
    QDate from;
    QDate to;  // inclusive
    QString numberFragment;
    QString lane;  // one lane; empty for all
};

// The last row of a page: the next page starts after it (newest first).
struct PagePosition {
    QDateTime moment;
    QString id;
};

class JournalStore {
public:
    // The program's own database file, created when missing (write-ahead log).
    // The writer checks the file whole before it writes; a reader need not read
    // every page of a large journal first.
    enum class Check { Whole, None };
    static std::unique_ptr<JournalStore> OpenLocal(const QString& path, Check check = Check::Whole);
    // The shared server, through the libpq service `service`.
    static std::unique_ptr<JournalStore> OpenShared(const QString& service);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // Whether the journal can be read; a later schema's can be read only.
    bool IsOpen() const { return open_; }
    bool ReadOnly() const { return readOnly_; }
    // Why the journal cannot be used (or is read-only); empty when all is well.
    const QString& Problem() const { return problem_; }
    // Why the last write failed.
    const QString& WriteError() const { return writeError_; }
    // Whether the connection still answers (a shared server may have gone).
    bool Answers();

    // Writes `entry` unless a revision at least as new is already there, so that a
    // write repeated after a lost answer changes nothing. `queue` also files it
    // for the shared server in the same transaction.
    bool Write(const JournalEntry& entry, bool queue = false);
    std::optional<JournalEntry> Load(const QString& id);
    // Newest first, up to `limit` entries after `after`.
    QList<EntrySummary> Page(const JournalFilter& filter, const std::optional<PagePosition>& after,
                             int limit);
    int Count(const JournalFilter& filter);
    // The lanes found in the journal, sorted.
    QStringList Lanes();

    // The entries waiting for the shared server: id and revision, oldest first.
    QList<std::pair<QString, int32_t>> Waiting(int limit);
    int WaitingCount();
    // The revision `revision` of `id` reached the server.
    bool Sent(const QString& id, int32_t revision);

private:
    JournalStore(const QString& driver, bool shared);
    bool Prepare(bool checkIntegrity);
    bool Migrate();
    int StoredSchema();
    void Fail(const QString& problem);

    QString name_;  // the Qt SQL connection's name
    bool shared_;
    bool open_ = false;
    bool readOnly_ = false;
    QString problem_;
    QString writeError_;
};

}  // namespace kelvaron
