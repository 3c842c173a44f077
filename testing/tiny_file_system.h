#pragma once
// A full disk on demand: a small tmpfs mounted over a folder (Linux, as root),
// and a filler that takes every byte left on it.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>

#if defined(Q_OS_LINUX)
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace kelvaron::testing {

// A file system of `kib` KiB mounted on `folder` for as long as it lives.
// `skip` says why it could not be mounted.
class TinyFileSystem {
public:
    TinyFileSystem(const QString& folder, int kib) : folder_(folder) {
#if defined(Q_OS_LINUX)
        if (::geteuid() != 0) {
            skip = QStringLiteral("mounting a small file system needs root");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                    options.constData()) != 0) {
            skip = QStringLiteral("a small tmpfs cannot be mounted: ") +
                   QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        mounted_ = true;
#else
        (void)kib;
        skip = QStringLiteral("a small file system is mounted only on Linux");
#endif
    }
    ~TinyFileSystem() {
#if defined(Q_OS_LINUX)
        if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
#endif
    }
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    QString skip;

private:
    QString folder_;
    bool mounted_ = false;
};

// Takes every byte the file system in `folder` has left, in the file "filler".
inline void FillUp(const QString& folder) {
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray page(4096, 'x');
    for (int i = 0; i < 100000 && filler.write(page) == page.size(); ++i) {
    }
    for (int i = 0; i < 4096 && filler.write("x", 1) == 1; ++i) {
    }
}

}  // namespace kelvaron::testing
