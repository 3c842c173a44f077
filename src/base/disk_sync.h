#pragma once
// Makes the bytes a file has handed to the operating system survive a power loss,
// and tells whether an open file still has a name on the disk.
class QFile;

namespace kelvaron {

// Pushes the open file's written bytes from the system's cache to the disk.
// False when the system reports an error.
bool SyncFileToDisk(QFile& file);

// False when the open file has lost its last name: it, or its folder, was removed
// while it was open. Unix lets such a file take writes, which are then lost at its
// close. Windows refuses to remove an open file, so there it is always true.
bool FileStillOnDisk(const QFile& file);

}  // namespace kelvaron
