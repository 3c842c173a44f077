#pragma once
// The interaction seam on Qt's own dialogs: message boxes, file dialogs, the
// print and colour dialogs, and the desktop's "open".
#include "shell/interaction.h"

class QWidget;

namespace kelvaron {

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
