#include "app/file_commands.h"

#include "base/open_document.h"
#include "report/file_names.h"
#include "report/view/report_printing.h"
#include "report/view/scene_picture.h"

#include <QChart>
#include <QChartView>
#include <QDir>

namespace kelvaron {

namespace {

constexpr int kSaveChartTypes = 2;  // bitmap, metafile
constexpr int kOpenChartTypes = 3;  // both, bitmaps, metafiles

QString PictureNotSavedText(const QString& path) {
    return QStringLiteral("График не сохранен :") + QDir::toNativeSeparators(path);
}

}  // namespace

FileCommands::FileCommands(Interaction& interaction, const Clock& clock, const ReportHeader& header,
                           const QString& programDir)
    : interaction_(interaction),
      clock_(clock),
      header_(header),
      folders_(FileDialogFolders::Initial(programDir)) {}

void FileCommands::SetStoredTypes(int saveType, int openType) {
    saveType_ = saveType;
    openType_ = openType;
}

QString FileCommands::SuggestedName() const { return StampedBaseName(header_, clock_.Now()); }

void FileCommands::SaveReport(const QStringList& lines) {
    const auto chosen =
        interaction_.SaveFile(SaveReportDialog(folders_.reportSave, SuggestedName()));
    if (!chosen) return;
    folders_.ReportFileChosen(chosen->path);
    // The name's extension decides: the dialog gives each type its own.
    const bool pdf = chosen->path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    const bool saved =
        pdf ? SaveReportPdf(chosen->path, lines) : SaveReportFile(chosen->path, lines);
    if (!saved) interaction_.Notice(ReportNotSavedText(chosen->path));
}

void FileCommands::OpenReport() {
    const auto chosen = interaction_.OpenFile(OpenReportDialog(folders_.reportOpen));
    if (!chosen) return;
    folders_.ReportFileChosen(chosen->path);
    OpenChosenFile(chosen->path, interaction_);
}

void FileCommands::PrintReport(const QStringList& lines) {
    // A printer that fails says nothing, as the print dialog's own job would.
    PrintReportWithDialog(interaction_, printer_, lines);
}

void FileCommands::SaveChart(QChartView& chart) {
    const auto chosen =
        interaction_.SaveFile(SaveChartDialog(folders_.chartSave, SuggestedName(), saveType_));
    if (!chosen) return;
    saveType_ = StoredDialogType(chosen->type, kSaveChartTypes);
    folders_.ChartFileChosen(chosen->path);
    const QString path = ChartFileName(chosen->path, saveType_);
    const PictureType type = saveType_ == kChartMetafile ? PictureType::Emf : PictureType::Bmp;
    if (!WriteViewPicture(path, type, chart)) interaction_.Notice(PictureNotSavedText(path));
}

void FileCommands::OpenChart() {
    const auto chosen = interaction_.OpenFile(OpenChartDialog(folders_.chartOpen, openType_));
    if (!chosen) return;
    openType_ = StoredDialogType(chosen->type, kOpenChartTypes);
    folders_.ChartFileChosen(chosen->path);
    OpenChosenFile(chosen->path, interaction_);
}

void FileCommands::PrintChart(QChartView& chart,
                              const std::function<void(bool white)>& setBackground) {
    const auto paint = [&chart](QPainter& painter, const QRectF& area) {
        // The chart as it stands on screen, scaled to the page, its shape kept.
        QChart* c = chart.chart();
        const QRectF source = c->sceneBoundingRect();
        if (source.isEmpty()) return;
        const qreal scale =
            std::min(area.width() / source.width(), area.height() / source.height());
        QRectF target(0, 0, source.width() * scale, source.height() * scale);
        target.moveCenter(area.center());
        PaintScene(painter, *c->scene(), source, target, c->backgroundBrush());
    };
    kelvaron::PrintChart(interaction_, printer_, paint, setBackground);
}

}  // namespace kelvaron
