// Writes the made-up entries FIRST .. FIRST + 199 into the journal file PATH one
// after another, as results arrive, through the program's own Journal: each
// entry is handed over, then awaited, then reported as "kept N" on a line of its
// own. The test that kills it at random moments learns from those lines which
// entries the journal had committed. Exits with 1 when an entry is not kept.
#include "journal/journal.h"
#include "testing/journal_entries.h"

#include <QCoreApplication>

#include <cstdio>

using namespace kelvaron;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool number = false;
    const int first = argc == 3 ? QByteArray(argv[2]).toInt(&number) : 0;
    if (!number) {
        std::fprintf(stderr, "usage: journal_kill_helper <journal file> <first entry>\n");
        return 2;
    }
    Journal journal({QString::fromLocal8Bit(argv[1]), false, {}, QStringLiteral("Линия 1")});
    for (int n = first; n < first + 200; ++n) {
        journal.Keep(testing::SyntheticEntry(n));
        journal.Flush();
        if (!journal.State().available || !journal.State().problem.isEmpty()) {
            std::fprintf(stderr, "entry %d not kept: %s\n", n, qPrintable(journal.State().problem));
            return 1;
        }
        std::printf("kept %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}
