#pragma once
// Whole files, read and saved safely.
//
// Reading takes only regular files: a FIFO, a device or a folder in a file's
// place could block the reader or never end, and counts as a file that cannot be
// read. Text files are read up to a size limit.
//
// Saves are never torn by a crash or a power loss mid-write: the bytes go to a
// temporary file beside the target, are flushed to the disk, and the temporary
// file is then renamed over the old one in one step. The new file keeps the old
// one's mode (and owner, where the user may set it), and a symbolic link is
// written through to the file it leads to, so the link stays.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kelvaron {

// Stops a save part-way, exactly where a crash would have stopped it: after
// `afterBytes` bytes of the temporary file, before the rename. For tests.
struct SaveInterruption {
    qint64 afterBytes = -1;  // -1: not interrupted
    // The folder refuses to create the temporary file, as a folder without write
    // permission does (which root would not notice).
    bool refuseTemporary = false;
};

// The largest text file the program reads whole (the report template, the norms
// list): far above any real one, which holds a few kilobytes, and small enough
// that reading one never holds the window.
inline constexpr qint64 kMaxTextFileBytes = 1024 * 1024;

// True when `path` leads, through any symbolic links, to a regular file.
bool IsRegularFile(const QString& path);

// The bytes of the regular file at `path` when it holds at most `limit` of them;
// nothing when it is missing, is no regular file, is larger, or cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString& path, qint64 limit);

// The temporary file a save of `path` writes first (for a symbolic link, a save
// writes beside the file the link leads to).
QString TemporaryPathFor(const QString& path);

// True when `path` exists and the program may not write it: it is marked
// read-only (no write permission for its owner, the file system's read-only
// mark, which holds whoever runs the program), or the user running the program
// has no write access to it.
bool IsWriteProtected(const QString& path);

// Removes from `folder` the temporary files that saves cut short (the program
// killed, the power lost) left there: the temporary file of every name that
// matches one of `savedNames` (wildcards allowed, "*.txt"). Only regular files
// are removed, never a link or a folder.
void RemoveStaleTemporaries(const QString& folder, const QStringList& savedNames);

// Replaces the file at `path` with `data`. False, with the old file untouched,
// when the folder cannot be written, the file is write-protected or is no
// regular file (a FIFO or a device is never replaced), or the disk refuses the
// bytes.
bool SaveFileAtomically(const QString& path, const QByteArray& data,
                        const SaveInterruption& interruption = {});

// As SaveFileAtomically; but where the folder refuses the temporary file while the
// file itself exists and may be written, the bytes are written over it in place
// (for the small fixed records, where keeping the save beats losing it). The old
// bytes are overwritten, not emptied first, so a crash leaves the old record or
// the new one at the start of the file, never an empty file.
bool SaveFileAtomicallyOrInPlace(const QString& path, const QByteArray& data,
                                 const SaveInterruption& interruption = {});

}  // namespace kelvaron
