#include "report/report_files.h"

#include "base/text_codec.h"

#include <QDir>
#include <QFileInfo>

namespace kelvaron {

namespace {

// The text with every character that takes two UTF-16 units (outside the Basic
// Multilingual Plane, none of which the code page holds) replaced by one "?", so
// that the encoder, which works unit by unit, writes one mark per character.
QString OneUnitPerCharacter(const QString& text) {
    QString out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            out += QLatin1Char('?');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

}  // namespace

bool SaveReportFile(const QString& path, const QStringList& lines,
                    const SaveInterruption& interruption) {
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString& line : lines) size += line.size() + 2;
    bytes.reserve(size);
    for (const QString& line : lines) {
        bytes += EncodeCp1251(OneUnitPerCharacter(line.normalized(QString::NormalizationForm_C)));
        bytes += "\r\n";
    }
    return SaveFileAtomically(path, bytes, interruption);
}

QString ReportNotSavedText(const QString& path) {
    return QStringLiteral("Отчет не сохранен :") + QDir::toNativeSeparators(path);
}

int StoredDialogType(int stored, int typeCount) {
    return stored >= 1 && stored <= typeCount ? stored : 1;
}

QString ChartTypeExtension(int type) {
    return type == kChartMetafile ? QStringLiteral(".emf") : QStringLiteral(".bmp");
}

QString ChartFileName(const QString& chosen, int type) {
    const QString extension = ChartTypeExtension(type);
    return chosen.endsWith(extension, Qt::CaseInsensitive) ? chosen : chosen + extension;
}

FileDialog OpenReportDialog(const QString& folder) {
    FileDialog dialog;
    dialog.title = QStringLiteral("Открытие ОТЧЕТА");
    dialog.types = {QStringLiteral("Текстовые файлы(*.txt)")};
    dialog.folder = folder;
    return dialog;
}

FileDialog SaveReportDialog(const QString& folder, const QString& baseName) {
    FileDialog dialog;
    dialog.title = QStringLiteral("Сохранение ОТЧЕТА");
    dialog.types = {QStringLiteral("Текстовые файлы (*.txt)"), QStringLiteral("PDF (*.pdf)")};
    dialog.typeSuffixes = {QStringLiteral("txt"), QStringLiteral("pdf")};
    dialog.folder = folder;
    dialog.suggestedName = baseName + QStringLiteral(".txt");
    dialog.askOverwrite = true;
    return dialog;
}

FileDialog OpenChartDialog(const QString& folder, int storedType) {
    FileDialog dialog;
    dialog.title = QStringLiteral("Открытие ГРАФИКА");
    // Qt's dialog takes the patterns between the parentheses and splits them at
    // spaces; the ";" standing alone then is a pattern that only a file named ";"
    // matches, so the shown text filters *.emf and *.bmp as it reads.
    dialog.types = {QStringLiteral("Рисунки (*.emf ; *.bmp )"),
                    QStringLiteral("Точечные рисунки (*.bmp)"), QStringLiteral("Метафайлы(*.emf)")};
    dialog.type = StoredDialogType(storedType, static_cast<int>(dialog.types.size()));
    dialog.folder = folder;
    return dialog;
}

FileDialog SaveChartDialog(const QString& folder, const QString& baseName, int storedType) {
    FileDialog dialog;
    dialog.title = QStringLiteral("Сохранение ГРАФИКА");
    dialog.types = {QStringLiteral("Точечные рисунки (*.bmp)"),
                    QStringLiteral("Метафайлы (*.emf)")};
    dialog.typeSuffixes = {QStringLiteral("bmp"), QStringLiteral("emf")};
    dialog.type = StoredDialogType(storedType, static_cast<int>(dialog.types.size()));
    dialog.folder = folder;
    dialog.suggestedName = baseName;
    dialog.askOverwrite = true;
    return dialog;
}

FileDialogFolders FileDialogFolders::Initial(const QString& programDir) {
    const QString text = programDir + QStringLiteral("Text");
    const QString graph = programDir + QStringLiteral("Graph");
    return {text, text, graph, graph};
}

void FileDialogFolders::ReportFileChosen(const QString& path) {
    reportOpen = reportSave = FolderOf(path);
}

void FileDialogFolders::ChartFileChosen(const QString& path) {
    chartOpen = chartSave = FolderOf(path);
}

}  // namespace kelvaron
