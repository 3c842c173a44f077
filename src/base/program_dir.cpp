#include "base/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kelvaron {

namespace {

QString WithSeparator(const QString& folder) {
    return QDir(folder).absolutePath() + QLatin1Char('/');
}

}  // namespace

QString ProgramDir() { return WithSeparator(QCoreApplication::applicationDirPath()); }

ProgramFolders ChooseProgramFolders(const QString& programDir, const QString& userDataDir) {
    const QString own = WithSeparator(programDir);
    const QString shared = QDir::cleanPath(own + QStringLiteral("../share/kelvaron"));
    const bool installed = QDir(own).dirName() == QLatin1String("bin") && QFileInfo(shared).isDir();
    if (!installed && QFileInfo(own).isWritable()) return {own, own};
    return {WithSeparator(userDataDir + QStringLiteral("/kelvaron")),
            installed ? WithSeparator(shared) : own};
}

ProgramFolders ThisProgramFolders() {
    static const ProgramFolders folders = [] {
        ProgramFolders chosen = ChooseProgramFolders(
            ProgramDir(), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        QDir().mkpath(chosen.files);
        qInfo("Kelvaron: files in %s, documents in %s",
              qUtf8Printable(QDir::toNativeSeparators(chosen.files)),
              qUtf8Printable(QDir::toNativeSeparators(chosen.documents)));
        return chosen;
    }();
    return folders;
}

}  // namespace kelvaron
