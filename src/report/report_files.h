#pragma once
// Report and chart files: writing the report to a text file, the name and type
// rules of chart pictures, and the four file dialogs of the report and the chart
// as the interaction seam shows them.
#include "base/interaction.h"
#include "base/safe_file.h"

#include <QString>
#include <QStringList>

namespace kelvaron {

// Writes the report's lines to `path`: every line followed by CR LF, in
// Windows-1251, nothing added or removed. A character the code page cannot hold
// is written as one "?" (a character outside the Basic Multilingual Plane too; a
// letter typed as base and combining mark is first joined into its one-character
// form, "и" + U+0306 becomes "й"). The bytes go to a temporary file that is then
// renamed over the old report, so a crash mid-save never leaves a torn file.
// False, with any old file untouched, when the file cannot be written.
bool SaveReportFile(const QString& path, const QStringList& lines,
                    const SaveInterruption& interruption = {});

// The text of the one message shown when a report could not be saved.
QString ReportNotSavedText(const QString& path);

// The picture types of the chart's save dialog, by their number there.
inline constexpr int kChartBitmap = 1;
inline constexpr int kChartMetafile = 2;

// The type number a dialog starts with for a stored `graphSaveFilter` or
// `graphOpenFilter`: the stored number when it names one of the dialog's
// `typeCount` types (counting from 1), otherwise 1 (0, negative or too large
// values come from fresh or damaged settings).
int StoredDialogType(int stored, int typeCount);

// The extension of a chart picture type, with its dot: ".bmp" for type 1, ".emf"
// for type 2 (any other number counts as type 1).
QString ChartTypeExtension(int type);

// The file a chart picture of `type` is written to when the operator chose
// `chosen`: the type's extension is appended unless the name already ends with
// it, in any letter case ("probe" and type 2 give "probe.emf", "probe.EMF" stays,
// "probe.bmp" with type 2 gives "probe.bmp.emf").
QString ChartFileName(const QString& chosen, int type);

// The dialogs. `folder` is where each starts; the save dialogs offer
// `suggestedName` and ask before replacing a file.
FileDialog OpenReportDialog(const QString& folder);
// `baseName` is StampedBaseName; the dialog offers it with ".txt". Its types:
// 1 text, 2 PDF (the name's extension then decides what is written).
FileDialog SaveReportDialog(const QString& folder, const QString& baseName);
// `storedType` is graphOpenFilter: 1 both pictures, 2 bitmaps, 3 metafiles.
FileDialog OpenChartDialog(const QString& folder, int storedType);
// `storedType` is graphSaveFilter: 1 bitmap, 2 metafile; the default extension
// follows the type. `baseName` is StampedBaseName, offered without extension.
FileDialog SaveChartDialog(const QString& folder, const QString& baseName, int storedType);

// Where each dialog starts. Choosing a file in either dialog of a pair (report
// open and save, chart open and save) makes both of the pair start in that
// file's folder next time.
struct FileDialogFolders {
    QString reportOpen;
    QString reportSave;
    QString chartOpen;
    QString chartSave;

    // The working folders "Text" and "Graph" in `programDir` (which ends with a
    // separator).
    static FileDialogFolders Initial(const QString& programDir);

    void ReportFileChosen(const QString& path);
    void ChartFileChosen(const QString& path);
};

}  // namespace kelvaron
