#pragma once
// Handing a document to the desktop: the help files beside the program, the
// template and norms files, and files the operator chose in a file dialog.
#include "base/interaction.h"

#include <QString>

namespace kelvaron {

// The warning shown for a missing document, immediately followed by its path.
inline const QString kFileNotFound = QStringLiteral("Файл не найден :");
// The warning shown when the desktop cannot open a document that is there.
inline const QString kCannotOpen = QStringLiteral("Не удалось открыть : ");

// Opens `programDir` + `fileName` with the program the desktop associates with
// its type. A missing file gives the warning "Файл не найден :" with the full
// path and the buttons OK and Cancel, a file the desktop cannot open (no program
// for its type) "Не удалось открыть : " with the path; the answer is not used. `programDir` is the
// program folder (a missing trailing separator is supplied), so the working
// directory never matters. Nothing escapes.
void OpenDocument(const QString& programDir, const QString& fileName, Interaction& interaction);

// The same for a full path, as chosen in a file dialog.
void OpenChosenFile(const QString& path, Interaction& interaction);

// `programDir` + `fileName`, with exactly one separator between them.
QString DocumentPath(const QString& programDir, const QString& fileName);

}  // namespace kelvaron
