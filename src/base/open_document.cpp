#include "base/open_document.h"

#include <QDir>
#include <QFileInfo>

namespace kelvaron {

QString DocumentPath(const QString& programDir, const QString& fileName) {
    if (programDir.isEmpty() || programDir.endsWith(QLatin1Char('/')) ||
        programDir.endsWith(QLatin1Char('\\')))
        return programDir + fileName;
    return programDir + QLatin1Char('/') + fileName;
}

void OpenChosenFile(const QString& path, Interaction& interaction) {
    try {
        // A folder of that name is no document: it counts as missing.
        if (!QFileInfo(path).isFile()) {
            interaction.Warn(kFileNotFound + QDir::toNativeSeparators(path), Buttons::OkCancel);
            return;
        }
        // A file no program is associated with would otherwise open silently never.
        if (!interaction.OpenWithDesktop(path))
            interaction.Warn(kCannotOpen + QDir::toNativeSeparators(path), Buttons::OkCancel);
    } catch (...) {
        // Opening a document is a courtesy: whatever fails, the program carries on.
    }
}

void OpenDocument(const QString& programDir, const QString& fileName, Interaction& interaction) {
    OpenChosenFile(DocumentPath(programDir, fileName), interaction);
}

}  // namespace kelvaron
