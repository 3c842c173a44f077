#pragma once
// What the fuzz targets share: a failure that stops the run with its reason, a
// program folder in memory, and file reading and writing through the system's
// calls (cheaper than QFile's under the sanitizers).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kelvaron::fuzzing {

// The target's name, for its messages; each target defines it.
extern const char* const kTargetName;

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "%s: %s\n", kTargetName, what);
    std::abort();
}

inline void Check(bool holds, const char* what) {
    if (!holds) Fail(what);
}

// The program folder, in memory where there is a /dev/shm, made once and
// removed at exit; with its trailing separator.
inline const QString& FuzzFolder() {
    static QTemporaryDir* dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        return new QTemporaryDir(base + QLatin1Char('/') + QString::fromLatin1(kTargetName) +
                                 QStringLiteral("-XXXXXX"));
    }();
    static const QString path = dir->path() + QLatin1Char('/');
    static const bool removedAtExit = [] {
        std::atexit([] { delete dir; });
        return true;
    }();
    (void)removedAtExit;
    return path;
}

inline void PutFile(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) Fail("cannot write the input file");
    const bool written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) ==
                         static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!written) Fail("cannot write the input file");
}

inline QByteArray FileBytes(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0) Fail("cannot read a file back");
    QByteArray bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
    ::close(fd);
    if (n < 0) Fail("cannot read a file back");
    return bytes;
}

inline QByteArray FileBytes(const QString& path) { return FileBytes(QFile::encodeName(path)); }

}  // namespace kelvaron::fuzzing
