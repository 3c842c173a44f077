#pragma once
// The interaction seam on Qt's own dialogs: message boxes, file dialogs, the
// print and colour dialogs, and the desktop's "open".
#include "base/interaction.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

class QWidget;

namespace kelvaron {

// The icons and type names of the file dialogs, judged by the file's name and
// kind alone. Qt's own provider asks the MIME database, which reads a file whose
// name says nothing; reading a file of /proc (kmsg) blocks for good, and with it
// the dialog, the window and the poll loop.
class NameOnlyFileIcons final : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeDatabase mimes_;
};

class WidgetInteraction final : public Interaction {
public:
    explicit WidgetInteraction(QWidget* parent) : parent_(parent) {}

    void Notice(const QString& text) override;
    Answer Warn(const QString& text, Buttons buttons) override;
    std::optional<FileChoice> OpenFile(const FileDialog& dialog) override;
    std::optional<FileChoice> SaveFile(const FileDialog& dialog) override;
    bool ChoosePrinter(QPrinter& printer) override;
    std::optional<QColor> ChooseColor(const QColor& initial) override;
    bool OpenWithDesktop(const QString& path) override;

private:
    std::optional<FileChoice> RunFileDialog(const FileDialog& dialog, bool save);
    // The window a dialog stands over: the modal dialog open now, else the window.
    QWidget* DialogParent() const;

    QWidget* parent_;
};

}  // namespace kelvaron
