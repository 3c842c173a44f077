#include "app/widget_interaction.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QUrl>

#include <algorithm>

namespace kelvaron {

namespace {

QString Title() { return QCoreApplication::applicationName(); }

int TypeIndex(const FileDialog& dialog, const QString& filter) {
    const int i = static_cast<int>(dialog.types.indexOf(filter));
    return i < 0 ? 1 : i + 1;
}

QString SuffixFor(const FileDialog& dialog, int type) {
    return type >= 1 && type <= dialog.typeSuffixes.size() ? dialog.typeSuffixes[type - 1]
                                                           : QString();
}

// `name` with ".`suffix`" at its end, unless it has it already.
QString WithSuffix(const QString& name, const QString& suffix) {
    if (suffix.isEmpty() || name.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        return name;
    return name + QLatin1Char('.') + suffix;
}

}  // namespace

QIcon NameOnlyFileIcons::icon(const QFileInfo& info) const {
    if (info.isRoot()) return icon(Drive);
    if (info.isDir()) return icon(Folder);
    const QMimeType mime = mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    for (const QString& name : {mime.iconName(), mime.genericIconName()}) {
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull()) return themed;
    }
    return icon(File);
}

QString NameOnlyFileIcons::type(const QFileInfo& info) const {
    // Folders, drives and whatever is not a plain file cost Qt no read.
    if (!info.isFile()) return QFileIconProvider::type(info);
    const QMimeType mime = mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

QWidget* WidgetInteraction::DialogParent() const {
    // A dialog asked for while another one is open (the options dialog's colour
    // choice and restore question) stands over that one.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return parent_;
}

void WidgetInteraction::Notice(const QString& text) {
    QMessageBox::information(DialogParent(), Title(), text);
}

Answer WidgetInteraction::Warn(const QString& text, Buttons buttons) {
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
        case Buttons::Ok:
            break;
        case Buttons::OkCancel:
            shown = QMessageBox::Ok | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case Buttons::YesNoCancel:
            shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
    }
    QMessageBox box(QMessageBox::Warning, Title(), text, shown, DialogParent());
    box.setEscapeButton(escape);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<FileChoice> WidgetInteraction::RunFileDialog(const FileDialog& d, bool save) {
    // Declared first, so it outlives the dialog that uses it.
    NameOnlyFileIcons icons;
    QFileDialog dialog(DialogParent(), d.title, d.folder);
#ifndef Q_OS_WIN
    // Qt's own dialog, with the icons above: a desktop's dialog may read files to
    // tell their types.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(d.types);
    const int type = std::clamp(d.type, 1, std::max<int>(1, static_cast<int>(d.types.size())));
    if (!d.types.isEmpty()) dialog.selectNameFilter(d.types[type - 1]);
    dialog.setDefaultSuffix(SuffixFor(d, type));
    // The default extension follows the type chosen while the dialog is open.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(SuffixFor(d, TypeIndex(d, filter)));
    });
    // The suggestion shows the type's extension: the dialog swaps the extension
    // when the type changes, and without one it took whatever followed a dot in
    // the name (an owner "Иванов И.И.") for it, losing the date and time.
    if (save && !d.suggestedName.isEmpty())
        dialog.selectFile(WithSuffix(d.suggestedName, SuffixFor(d, type)));
    if (save && !d.askOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return FileChoice{dialog.selectedFiles().first(), TypeIndex(d, dialog.selectedNameFilter())};
}

std::optional<FileChoice> WidgetInteraction::OpenFile(const FileDialog& dialog) {
    return RunFileDialog(dialog, false);
}

std::optional<FileChoice> WidgetInteraction::SaveFile(const FileDialog& dialog) {
    return RunFileDialog(dialog, true);
}

bool WidgetInteraction::ChoosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QColor> WidgetInteraction::ChooseColor(const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, DialogParent());
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

bool WidgetInteraction::OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace kelvaron
