// Saves one kind of file (report, emf, bmp or settings) to one path, for the test
// that kills the saving process at random moments.
//
// "save_kill_helper KIND PATH --once VERSION" saves that version once and exits
// with 0 (1 when the save failed): the test learns the bytes of both versions
// from the helper itself.
//
// "save_kill_helper KIND PATH" serves kills (Unix only): for every line "go" on
// its input it forks a saver that saves the two versions in turn, as fast as it
// can, until it is killed, and prints "ready PID" once its first save has gone
// through, so the kill falls among saves and not into the start of the process.
// When the saver has ended the helper prints "ended signal N" or "ended exit N"
// (a saver exits with 1 when a save fails: a temporary file left by an earlier
// kill must never make the next save fail). A forked saver starts in a
// millisecond where a new process takes tens: a thousand kills stay short on a
// busy machine. The helper itself only reads, forks and waits, so it stays one
// thread and every saver starts from the same clean state.
//
// It runs without a Qt application: the pictures are painted without text, and
// starting no GUI keeps each run short.
#include "save_kill_contents.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kelvaron;

namespace {

#if defined(Q_OS_UNIX)
[[noreturn]] void SaveUntilKilled(const QString& kind, const QString& path) {
    for (long long saves = 0;; ++saves) {
        const int version = static_cast<int>(saves % 2);
        if (!testing::SaveKillVersion(kind, path, version)) {
            std::fprintf(stderr, "save %lld (version %d) of %s failed\n", saves, version,
                         qPrintable(path));
            std::fflush(stderr);
            _exit(1);
        }
        if (saves == 0) {
            std::printf("ready %ld\n", static_cast<long>(getpid()));
            std::fflush(stdout);
        }
    }
}

int ServeKills(const QString& kind, const QString& path) {
    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        if (std::strcmp(line, "go\n") != 0) {
            std::fprintf(stderr, "unknown request: %s", line);
            return 2;
        }
        std::fflush(stdout);
        const pid_t saver = fork();
        if (saver < 0) {
            std::perror("fork");
            return 1;
        }
        if (saver == 0) SaveUntilKilled(kind, path);
        int status = 0;
        if (waitpid(saver, &status, 0) != saver) {
            std::perror("waitpid");
            return 1;
        }
        if (WIFSIGNALED(status))
            std::printf("ended signal %d\n", WTERMSIG(status));
        else
            std::printf("ended exit %d\n", WEXITSTATUS(status));
        std::fflush(stdout);
    }
    return 0;  // the test closed our input
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const bool once = argc == 5 && std::strcmp(argv[3], "--once") == 0;
    if ((argc != 3 && !once) || !testing::kSaveKinds.contains(QString::fromLatin1(argv[1]))) {
        std::fprintf(stderr,
                     "usage: save_kill_helper report|emf|bmp|settings|settings-in-place <path> "
                     "[--once 0|1]\n");
        return 2;
    }
    const QString kind = QString::fromLatin1(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (once) return testing::SaveKillVersion(kind, path, std::atoi(argv[4]) % 2) ? 0 : 1;
#if defined(Q_OS_UNIX)
    return ServeKills(kind, path);
#else
    std::fputs("serving kills needs fork and SIGKILL (Unix)\n", stderr);
    return 2;
#endif
}
