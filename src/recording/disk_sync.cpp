#include "disk_sync.h"

#include <QFile>

#ifdef _WIN32
#include <io.h>
#else
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

}  // namespace kelvaron
