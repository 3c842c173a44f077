#include "base/disk_sync.h"

#include <QFile>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvaron {

bool SyncFileToDisk(QFile& file) {
    if (!file.isOpen() || !file.flush()) return false;
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool FileStillOnDisk(const QFile& file) {
#ifdef _WIN32
    (void)file;
    return true;
#else
    struct stat status {};
    // A file that cannot be asked counts as present: the write itself then tells.
    if (!file.isOpen() || ::fstat(file.handle(), &status) != 0) return true;
    return status.st_nlink > 0;
#endif
}

}  // namespace kelvaron
