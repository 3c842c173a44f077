#pragma once
// The report's and the chart's file commands: save, open and print the report;
// save, open and print the chart. Each runs after the window has brought the
// right view to the front. Dialogs go through the interaction seam; each pair of
// open and save dialogs follows the folder of the file last chosen in either.
#include "base/clock.h"
#include "base/interaction.h"
#include "report/report_files.h"
#include "report/report_header.h"

#include <QPrinter>
#include <QStringList>

#include <functional>

class QChartView;

namespace kelvaron {

class FileCommands {
public:
    // `header` gives the suggested file names; `programDir` ends with a separator.
    FileCommands(Interaction& interaction, const Clock& clock, const ReportHeader& header,
                 const QString& programDir);

    // The picture types the chart dialogs start with, as stored in the settings
    // (counting from 1; 0 or out of range shows the first type). SaveType and
    // OpenType give the stored values back unchanged until the operator chooses a
    // file, and with it a type, in that dialog.
    void SetStoredTypes(int saveType, int openType);
    int SaveType() const { return saveType_; }
    int OpenType() const { return openType_; }

    // "Сохранить": the report's lines to a chosen text file. A file that cannot be
    // written is named in one message.
    void SaveReport(const QStringList& lines);
    // "Открыть": a saved report, handed to the desktop.
    void OpenReport();
    // "Печать": the print dialog, then the report on the chosen printer.
    void PrintReport(const QStringList& lines);
    // "Сохранить график": the chart as a bitmap or a metafile at its size on screen.
    void SaveChart(QChartView& chart);
    // "Открыть график": a saved picture, handed to the desktop.
    void OpenChart();
    // "Печать графика": the chart on one landscape page, on white; `setBackground`
    // turns the chart white (true) and back (false).
    void PrintChart(QChartView& chart, const std::function<void(bool white)>& setBackground);

private:
    QString SuggestedName() const;

    Interaction& interaction_;
    const Clock& clock_;
    const ReportHeader& header_;
    FileDialogFolders folders_;
    int saveType_ = 0;  // as stored: the dialog shows StoredDialogType of it
    int openType_ = 0;
    QPrinter printer_{QPrinter::HighResolution};  // remembers the last choice
};

}  // namespace kelvaron
