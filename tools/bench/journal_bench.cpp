// kelvaron-journal-bench: the station's journal holding 100 000 entries, in the
// program's own SQLite file (in a temporary folder) and on a PostgreSQL server of
// the bench's own (skipped, saying why, where it cannot start):
// - filling it: the entries written one after another, one transaction each as
//   the journal writes them (for information);
// - the first page: opening the database (as the journal window does, without
//   the writer's whole-file check) and reading the newest 100 entries, each run
//   on a new connection; median of 7;
// - the journal window (offscreen) shown with its first page, all lanes on the
//   server; median of 7;
// - the number filter: the count and the first page for a fragment found in one
//   entry in a hundred and for one found nowhere; median of 7 runs;
// - what a result's write costs the window's thread: the follower making the
//   entry from the composed report, and Journal::Keep, which only hands the
//   entry to the journal's thread, median and 99th percentile of 1000
//   results, each written and followed by a pause of 5 ms before the next comes
//   (results come tens of seconds apart: the journal's thread and a server have
//   settled by then), with the calls during which the thread waited for a lock
//   or was preempted (Linux), since a slow call may be the machine's other work;
//   and the write itself in the journal's thread (Keep and Flush), for
//   information;
// - the database's size per entry: SQLite's file and write-ahead log after a
//   checkpoint; PostgreSQL's pg_total_relation_size of the entries' and their records' tables.
// The files are in the system's cache throughout: these are warm figures.
// "--entries N" sets the number of entries.
#include "journal/journal.h"
#include "journal/journal_follower.h"
#include "journal/journal_store.h"
#include "journal/view/journal_window.h"
#include "testing/journal_entries.h"
#include "testing/postgres_server.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#if defined(Q_OS_LINUX)
#include <sys/resource.h>
#endif

using namespace kelvaron;
using kelvaron::testing::PostgresServer;
using kelvaron::testing::SyntheticEntry;

namespace {

using Clock = std::chrono::steady_clock;
using Opener = std::function<std::unique_ptr<JournalStore>()>;

constexpr int kRuns = 7;
constexpr int kKeeps = 1000;
constexpr int kPage = 100;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The value at `share` (0.5 the median) of `values`.
double At(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))];
}

// This thread's context switches so far: it waited, it was preempted; none where
// they are not counted per thread.
std::pair<long, long> Switches() {
#if defined(Q_OS_LINUX)
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) == 0) return {usage.ru_nvcsw, usage.ru_nivcsw};
#endif
    return {0, 0};
}

QString Lane(int n) { return n % 2 ? QStringLiteral("Линия 2") : QStringLiteral("Линия 1"); }

struct Figures {
    QString skipped;  // why there are none
    double fillS = 0;
    double openMs = 0;
    double firstPageMs = 0;
    double openAndPageMs = 0;
    double windowMs = 0;
    int matching = 0;
    double matchingMs = 0;
    double noneMs = 0;
    double followMedianUs = 0;
    double followP99Us = 0;
    double keepMedianUs = 0;
    double keepP99Us = 0;
    int keepsWaited = 0;
    int keepsPreempted = 0;
    double writeMedianMs = 0;
    double bytesPerEntry = 0;
};

// Fills the journal `open` opens and measures it; `settings` name the journal the
// results are kept in, `size` gives the database's bytes.
Figures Measure(const Opener& open, int entries, const JournalSettings& settings,
                const std::function<double()>& size) {
    Figures f;
    {
        auto store = open();
        if (!store->IsOpen()) return {QStringLiteral("not opened: ") + store->Problem()};
        double writeMs = 0;
        for (int n = 0; n < entries; ++n) {
            const JournalEntry entry = SyntheticEntry(n, Lane(n));
            const auto start = Clock::now();
            if (!store->Write(entry)) return {QStringLiteral("write %1 failed").arg(n)};
            writeMs += MsSince(start);
            if ((n + 1) % 10000 == 0) std::fprintf(stderr, "  %d written\n", n + 1);
        }
        f.fillS = writeMs / 1000;
    }

    std::vector<double> openMs, pageMs, openAndPageMs, matchingMs, noneMs;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        auto store = open();
        openMs.push_back(MsSince(start));
        start = Clock::now();
        if (store->Page({}, std::nullopt, kPage).size() != kPage)
            return {QStringLiteral("no first page")};
        pageMs.push_back(MsSince(start));
        openAndPageMs.push_back(openMs.back() + pageMs.back());

        const JournalFilter matching{{}, {}, QStringLiteral("А12"), {}};
        start = Clock::now();
        f.matching = store->Count(matching);
        const qsizetype shown = store->Page(matching, std::nullopt, kPage).size();
        matchingMs.push_back(MsSince(start));
        if (shown != std::min(f.matching, kPage))
            return {QStringLiteral("the filter's page is short")};

        const JournalFilter none{{}, {}, QStringLiteral("Я99"), {}};
        start = Clock::now();
        if (store->Count(none) != 0 || !store->Page(none, std::nullopt, kPage).isEmpty())
            return {QStringLiteral("\"Я99\" found")};
        noneMs.push_back(MsSince(start));
    }
    f.openMs = At(openMs, 0.5);
    f.firstPageMs = At(pageMs, 0.5);
    f.openAndPageMs = At(openAndPageMs, 0.5);
    f.matchingMs = At(matchingMs, 0.5);
    f.noneMs = At(noneMs, 0.5);

    // The window as the operator opens it: all lanes where the journal is shared.
    std::vector<double> windowMs;
    testing::ScriptedInteraction interaction;
    for (int run = 0; run < kRuns; ++run) {
        JournalWindow window(
            settings, [] { return true; }, interaction, nullptr);
        window.laneChoice->setCurrentIndex(settings.shared ? 1 : 0);
        const auto start = Clock::now();
        window.show();
        QCoreApplication::processEvents();
        windowMs.push_back(MsSince(start));
        if (window.Model().rowCount() != kPage) return {QStringLiteral("the window shows no page")};
    }
    f.windowMs = At(windowMs, 0.5);

    // Results arriving one after another: each is handed over, written, and the
    // machine settles before the next arrives. The entries are made beforehand.
    std::vector<JournalEntry> results;
    for (int i = 0; i < kKeeps; ++i) results.push_back(SyntheticEntry(entries + i, Lane(i)));
    std::vector<double> keepUs, writeMs, followUs;
    {
        Journal journal(settings);
        journal.Flush();
        // The follower, as the window runs it when a result has come in and the
        // report is composed: the entry made and handed over.
        JournalFollower follower(journal, QStringLiteral("bench"));
        for (int i = 0; i < kKeeps / 10; ++i) {
            const JournalEntry& e = results[static_cast<size_t>(i)];
            ReportValues values;
            values.header = e.header;
            values.results = e.results;
            values.moment = e.moment;
            follower.ResultArrived(e.kind);
            const auto start = Clock::now();
            follower.ReportComposed(values, e.report, e.chart, e.plotsN);
            followUs.push_back(MsSince(start) * 1000);
            journal.Flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        for (const JournalEntry& entry : results) {
            const auto before = Switches();
            const auto start = Clock::now();
            journal.Keep(entry);
            keepUs.push_back(MsSince(start) * 1000);
            const auto after = Switches();
            f.keepsWaited += after.first != before.first;
            f.keepsPreempted += after.second != before.second;
            journal.Flush();
            writeMs.push_back(MsSince(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (!journal.State().available || !journal.State().problem.isEmpty() ||
            journal.State().waiting != 0)
            return {QStringLiteral("the journal did not keep the results: ") +
                    journal.State().problem};
    }
    f.followMedianUs = At(followUs, 0.5);
    f.followP99Us = At(followUs, 0.99);
    f.keepMedianUs = At(keepUs, 0.5);
    f.keepP99Us = At(keepUs, 0.99);
    f.writeMedianMs = At(writeMs, 0.5);
    f.bytesPerEntry = size() / (entries + kKeeps);
    return f;
}

// The first value `sql` gives on a connection of its own; -1 when it fails.
double Ask(const QString& driver, const QString& options, const QString& database,
           const QString& sql) {
    double value = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, QStringLiteral("bench"));
        db.setConnectOptions(options);
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next()) value = query.value(0).toDouble();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return value;
}

void Row(const QString& title, const Figures (&f)[2],
         const std::function<QString(const Figures&)>& cell) {
    std::printf("  %s", qPrintable(title.leftJustified(60)));
    for (const Figures& one : f)
        std::printf(" %16s", one.skipped.isEmpty() ? qPrintable(cell(one)) : "-");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int entries = 100000;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--entries")) entries = std::max(kPage, std::atoi(argv[i + 1]));
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    Figures figures[2];

    std::fprintf(stderr, "SQLite:\n");
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    figures[0] = Measure(
        [&] { return JournalStore::OpenLocal(path, JournalStore::Check::None); }, entries,
        {path, false, {}, Lane(0)},
        [&] {
            // The log's pages moved into the file; the log emptied.
            Ask(QStringLiteral("QSQLITE"), {}, path,
                QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            return static_cast<double>(QFileInfo(path).size() + QFileInfo(path + "-wal").size());
        });

    std::fprintf(stderr, "PostgreSQL:\n");
    PostgresServer server;
    if (!server.Start()) {
        figures[1].skipped = server.Reason();
    } else {
        qputenv("PGSERVICEFILE", server.ServiceFile().toLocal8Bit());
        const QString service = QString::fromLatin1(PostgresServer::kService);
        // The shared journal's results are kept in a file of this lane first.
        figures[1] = Measure(
            [&] { return JournalStore::OpenShared(service); }, entries,
            {dir.filePath(QStringLiteral("lane.sqlite")), true, service, Lane(0)},
            [&] {
                return Ask(QStringLiteral("QPSQL"), QStringLiteral("service=") + service, {},
                           QStringLiteral("SELECT pg_total_relation_size('entries') + "
                                          "pg_total_relation_size('payloads')"));
            });
    }

    std::printf("the journal with %d entries of two lanes, files in the system's cache:\n",
                entries);
    std::printf("  %60s %16s %16s\n", "", "SQLite", "PostgreSQL");
    const auto number = [](double value, int decimals) {
        return QString::number(value, 'f', decimals);
    };
    Row("fill, one write after another (s)", figures,
        [&](const Figures& f) { return number(f.fillS, 1); });
    Row("open for reading (ms, median)", figures,
        [&](const Figures& f) { return number(f.openMs, 2); });
    Row("first page of 100 (ms, median)", figures,
        [&](const Figures& f) { return number(f.firstPageMs, 2); });
    Row("open + first page (ms, median)", figures,
        [&](const Figures& f) { return number(f.openAndPageMs, 2); });
    Row("the journal window shown with its first page (ms, median)", figures,
        [&](const Figures& f) { return number(f.windowMs, 2); });
    Row(QStringLiteral("\"А12\": count + first page (ms, median)"), figures, [&](const Figures& f) {
        return number(f.matchingMs, 2) + QStringLiteral(" (%1)").arg(f.matching);
    });
    Row(QStringLiteral("\"Я99\", found nowhere: count + page (ms, median)"), figures,
        [&](const Figures& f) { return number(f.noneMs, 2); });
    Row("entry made and handed over, window's thread (us, median)", figures,
        [&](const Figures& f) { return number(f.followMedianUs, 1); });
    Row("entry made and handed over (us, 99th percentile of 100)", figures,
        [&](const Figures& f) { return number(f.followP99Us, 1); });
    Row("Keep in the window's thread (us, median)", figures,
        [&](const Figures& f) { return number(f.keepMedianUs, 1); });
    Row("Keep in the window's thread (us, 99th percentile)", figures,
        [&](const Figures& f) { return number(f.keepP99Us, 1); });
    Row("Keep calls that waited / were preempted, of 1000", figures, [&](const Figures& f) {
        return QStringLiteral("%1 / %2").arg(f.keepsWaited).arg(f.keepsPreempted);
    });
    Row("the write in the journal's thread (ms, median)", figures,
        [&](const Figures& f) { return number(f.writeMedianMs, 2); });
    Row("database size per entry (bytes)", figures,
        [&](const Figures& f) { return number(f.bytesPerEntry, 0); });
    std::printf("  (PostgreSQL's write: the lane's own file, then the server)\n");
    for (int i = 0; i < 2; ++i)
        if (!figures[i].skipped.isEmpty())
            std::printf("  %s skipped: %s\n", i ? "PostgreSQL" : "SQLite",
                        qPrintable(figures[i].skipped));
    return figures[0].skipped.isEmpty() ? 0 : 1;
}
