// Saves one kind of file (report, emf, bmp or settings) to one path as fast as it
// can, the two versions in turn, until it is killed. It prints "ready" once its
// first save has gone through, so the kill falls among saves and not into the
// start of the process. Exits with 1 when a save fails (a temporary file left by
// an earlier kill must never make the next save fail), 2 on a wrong command line.
// With "--once VERSION" it saves that version once and exits with 0: the test
// learns the bytes of both versions from the helper itself.
//
// It runs without a Qt application: the pictures are painted without text, and
// starting no GUI keeps each of the thousands of runs short.
#include "save_kill_contents.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace kelvaron;

int main(int argc, char** argv) {
    const bool once = argc == 5 && std::strcmp(argv[3], "--once") == 0;
    if ((argc != 3 && !once) || !testing::kSaveKinds.contains(QString::fromLatin1(argv[1]))) {
        std::fprintf(stderr,
                     "usage: save_kill_helper report|emf|bmp|settings <path> [--once 0|1]\n");
        return 2;
    }
    const QString kind = QString::fromLatin1(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (once) return testing::SaveKillVersion(kind, path, std::atoi(argv[4]) % 2) ? 0 : 1;
    for (long long saves = 0;; ++saves) {
        const int version = static_cast<int>(saves % 2);
        if (!testing::SaveKillVersion(kind, path, version)) {
            std::fprintf(stderr, "save %lld (version %d) of %s failed\n", saves, version,
                         qPrintable(path));
            return 1;
        }
        if (saves == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}
