#pragma once
// Everything the program asks of the operator or hands to the desktop, behind one
// seam: notices, questions, the file open and save dialogs, the print and colour
// dialogs, and opening a file with its associated program. The window shows
// Qt's dialogs (WidgetInteraction); tests answer from a script and never block on
// a modal dialog.
#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;

namespace kelvaron {

// The buttons of a warning box.
enum class Buttons { Ok, OkCancel, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// A file open or save dialog as the program sets it up.
struct FileDialog {
    QString title;
    QStringList types;  // the type list as shown, e.g. "Текстовые файлы (*.txt)"
    int type = 1;       // the type selected at the start, counting from 1
    QStringList typeSuffixes;   // save: the default extension of each type ("bmp"), may be empty
    QString folder;             // where the dialog starts
    QString suggestedName;      // save: the name offered
    bool askOverwrite = false;  // save: ask before an existing file is replaced
};

// What the operator chose: the full path and the type selected when confirming.
struct FileChoice {
    QString path;
    int type = 1;
};

class Interaction {
public:
    virtual ~Interaction() = default;

    // A plain notice with an OK button.
    virtual void Notice(const QString& text) = 0;
    // A warning with the given buttons; the button pressed (closing the box
    // counts as Cancel).
    virtual Answer Warn(const QString& text, Buttons buttons) = 0;

    // The file dialogs; nothing when the operator cancels.
    virtual std::optional<FileChoice> OpenFile(const FileDialog& dialog) = 0;
    virtual std::optional<FileChoice> SaveFile(const FileDialog& dialog) = 0;

    // The system's print dialog on `printer`; false when cancelled.
    virtual bool ChoosePrinter(QPrinter& printer) = 0;
    // The colour dialog preset to `initial`; nothing when cancelled.
    virtual std::optional<QColor> ChooseColor(const QColor& initial) = 0;

    // Hands an existing file to the desktop, which opens it with the program
    // associated with its type. False when the desktop could not take it (no
    // program is associated with the type, or there is no way to ask).
    virtual bool OpenWithDesktop(const QString& path) = 0;
};

}  // namespace kelvaron
