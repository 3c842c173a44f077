#pragma once
// Makes the bytes a file has handed to the operating system survive a power loss.
class QFile;

namespace kelvaron {

// Pushes the open file's written bytes from the system's cache to the disk.
// False when the system reports an error.
bool SyncFileToDisk(QFile& file);

}  // namespace kelvaron
