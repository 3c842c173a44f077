#include "base/safe_file.h"

#include "base/disk_sync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvaron {

namespace {

// Makes a rename in `folder` survive a power loss (nothing to do on Windows).
void SyncFolder(const QString& folder) {
#ifndef _WIN32
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

// Gives the new file, still open, the mode and the owner of the file it is to
// replace, so that what the station set on the file survives the save. The
// owner is kept as far as the user may set it (all of it for root, the group
// for a member of it). On Windows the read-only mark is the one permission, and
// a file carrying it is never replaced.
void TakeModeAndOwner(QFile& file, const QString& replaced) {
#ifndef _WIN32
    struct stat old {};
    if (::stat(QFile::encodeName(replaced).constData(), &old) != 0) return;
    const int fd = file.handle();
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The user's own file then: the mode below still holds.
    }
    ::fchmod(fd, old.st_mode & 07777);
#else
    (void)file;
    (void)replaced;
#endif
}

// The file a save of `path` replaces: `path` itself, or the file its symbolic
// link leads to, through a chain of links, so that the link itself stays.
QString ReplacedPath(const QString& path) {
    QString at = path;
    for (int links = 0; links < 32; ++links) {
        const QFileInfo info(at);
        if (!info.isSymLink()) break;
        at = info.symLinkTarget();
    }
    return at;
}

}  // namespace

bool IsRegularFile(const QString& path) { return QFileInfo(path).isFile(); }

std::optional<QByteArray> ReadWholeFile(const QString& path, qint64 limit) {
    // Checked before opening: opening a FIFO for reading waits for a writer.
    if (!IsRegularFile(path)) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit) return std::nullopt;
    // One byte past the limit tells a file that grew since from one that did not.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit) return std::nullopt;
    return bytes;
}

QString TemporaryPathFor(const QString& path) { return path + QStringLiteral(".tmp"); }

bool IsWriteProtected(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && (!(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable());
}

void RemoveStaleTemporaries(const QString& folder, const QStringList& savedNames) {
    QStringList temporaries;
    for (const QString& name : savedNames) temporaries << TemporaryPathFor(name);
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList(temporaries, QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        QFile::remove(dir.filePath(name));
}

namespace {

enum class Saved { Yes, TemporaryRefused, No };

Saved SaveThroughTemporary(const QString& path, const QByteArray& data,
                           const SaveInterruption& interruption) {
    const QString replaced = ReplacedPath(path);
    const QFileInfo old(replaced);
    if (old.exists() && !old.isFile()) return Saved::No;
    if (IsWriteProtected(replaced)) return Saved::No;
    const QString temporary = TemporaryPathFor(replaced);
    // A temporary file left by a save cut short may carry the mode it was given
    // for the rename, read-only perhaps: it goes, and the new one is made afresh.
    QFile::remove(temporary);
    QFile file(temporary);
    if (interruption.refuseTemporary || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Saved::TemporaryRefused;

    const bool interrupted = interruption.afterBytes >= 0 && interruption.afterBytes <= data.size();
    const qint64 count = interrupted ? interruption.afterBytes : data.size();
    bool written = file.write(data.constData(), count) == count;
    if (written && !interrupted && old.exists()) TakeModeAndOwner(file, replaced);
    written = written && SyncFileToDisk(file);
    file.close();
    if (interrupted) return Saved::No;  // the process "died" here: the temporary file stays
    if (!written) {
        QFile::remove(temporary);
        return Saved::No;
    }

    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(replaced.toStdU16String()), error);
    if (error) {
        QFile::remove(temporary);
        return Saved::No;
    }
    SyncFolder(QFileInfo(replaced).absolutePath());
    return Saved::Yes;
}

// Writes over the old bytes without emptying the file first: a crash before the
// one write leaves the old record whole, a crash after it the new record followed
// by what was beyond it of the old (which a reader of fixed records ignores). Only
// then is the file cut to the new length.
bool SaveInPlace(const QString& path, const QByteArray& data) {
    if (!IsRegularFile(path) || IsWriteProtected(path)) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    return file.write(data) == data.size() && SyncFileToDisk(file) &&
           (file.size() == data.size() || (file.resize(data.size()) && SyncFileToDisk(file)));
}

}  // namespace

bool SaveFileAtomically(const QString& path, const QByteArray& data,
                        const SaveInterruption& interruption) {
    return SaveThroughTemporary(path, data, interruption) == Saved::Yes;
}

bool SaveFileAtomicallyOrInPlace(const QString& path, const QByteArray& data,
                                 const SaveInterruption& interruption) {
    switch (SaveThroughTemporary(path, data, interruption)) {
        case Saved::Yes:
            return true;
        case Saved::TemporaryRefused:
            return SaveInPlace(path, data);
        case Saved::No:
            return false;
    }
    return false;
}

}  // namespace kelvaron
