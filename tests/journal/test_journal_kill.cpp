// The program killed at random moments while results are written one after
// another (Unix: SIGKILL): the journal's file opens afterwards, every entry in it
// is whole, and every entry reported kept before the kill is there.
#include "journal/journal_store.h"
#include "testing/journal_entries.h"

#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <random>
#include <thread>

using namespace kelvaron;
using kelvaron::testing::SyntheticEntry;

class TestJournalKill : public QObject {
    Q_OBJECT

private slots:
    void killedWhileWritingLeavesWholeEntriesAndEveryKeptOne() {
#if !defined(Q_OS_UNIX)
        QSKIP("a process is killed at an arbitrary instruction only on Unix (SIGKILL)");
#else
        // Run k writes the entries 200 k .. 200 k + 199 into the same file, so that
        // each run starts from what the previous kill left.
        constexpr int kRuns = 8;
        constexpr int kPerRun = 200;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
        const unsigned seed = 20260301u;
        std::mt19937 random(seed);
        QList<int> kept(kRuns, 0);
        int killed = 0;
        for (int run = 0; run < kRuns; ++run) {
            const int first = run * kPerRun;
            // The kill falls after a random number of kept entries and a random
            // part of the next write.
            const int killAfter = std::uniform_int_distribution<int>(1, kPerRun - 1)(random);
            const int delayUs = std::uniform_int_distribution<int>(0, 3000)(random);
            QProcess helper;
            helper.start(QStringLiteral(JOURNAL_KILL_HELPER_EXE), {path, QString::number(first)});
            QVERIFY2(helper.waitForStarted(30000), qPrintable(helper.errorString()));
            QByteArray printed;
            while (printed.count('\n') < killAfter) {
                const bool more = helper.waitForReadyRead(30000);
                printed += helper.readAllStandardOutput();
                if (!more) break;  // ended, or stopped writing
            }
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            helper.kill();
            QVERIFY(helper.state() == QProcess::NotRunning || helper.waitForFinished(30000));
            printed += helper.readAllStandardOutput();
            const QString errors = QString::fromLocal8Bit(helper.readAllStandardError());
            if (helper.exitStatus() == QProcess::CrashExit)
                ++killed;
            else  // the kill came after the last entry
                QVERIFY2(helper.exitCode() == 0, qPrintable(errors));
            // The entries are kept in the order they were handed over.
            const QList<QByteArray> lines = printed.trimmed().split('\n');
            for (int i = 0; i < lines.size() && !printed.isEmpty(); ++i)
                QCOMPARE(lines[i], "kept " + QByteArray::number(first + i));
            kept[run] = printed.isEmpty() ? 0 : static_cast<int>(lines.size());
            QVERIFY2(kept[run] >= killAfter, qPrintable(errors));
        }
        QStringList counts;
        for (int count : kept) counts << QString::number(count);
        qInfo("seed %u: %d of %d runs killed, kept before the kill: %s", seed, killed, kRuns,
              qPrintable(counts.join(QLatin1Char(' '))));
        QVERIFY(killed > 0);

        auto store = JournalStore::OpenLocal(path);
        QVERIFY2(store->IsOpen() && !store->ReadOnly(), qPrintable(store->Problem()));
        QHash<QString, int> numbers;  // the entry's id -> its n
        for (int n = 0; n < kRuns * kPerRun; ++n) numbers.insert(SyntheticEntry(n).id, n);
        const QList<EntrySummary> listed = store->Page({}, std::nullopt, kRuns * kPerRun + 1);
        QCOMPARE(store->Count({}), listed.size());
        QSet<int> present;
        for (const EntrySummary& summary : listed) {
            const int n = numbers.value(summary.id, -1);
            QVERIFY2(n >= 0, qPrintable(summary.id));
            QVERIFY2(store->Load(summary.id) == SyntheticEntry(n),
                     qPrintable(summary.id + QStringLiteral(" is not whole")));
            // At most the one entry in hand at the kill besides the kept ones.
            QVERIFY2(n % kPerRun <= kept[n / kPerRun], qPrintable(summary.id));
            present.insert(n);
        }
        for (int run = 0; run < kRuns; ++run)
            for (int i = 0; i < kept[run]; ++i)
                QVERIFY2(
                    present.contains(run * kPerRun + i),
                    qPrintable(
                        QStringLiteral("entry %1 was kept, then lost").arg(run * kPerRun + i)));
#endif
    }
};

QTEST_GUILESS_MAIN(TestJournalKill)
#include "test_journal_kill.moc"
