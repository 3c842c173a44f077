#include "report_printing.h"

#include "report/report_font.h"
#include "shell/interaction.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <utility>

namespace kelvaron {

namespace {

// Runs `undo` when the scope is left, by return or by exception.
template <typename Undo>
class OnExit {
public:
    explicit OnExit(Undo undo) : undo_(std::move(undo)) {}
    ~OnExit() { undo_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Undo undo_;
};

bool JobSucceeded(QPainter& painter, const QPrinter& printer) {
    const bool ended = painter.end();
    const QPrinter::PrinterState state = printer.printerState();
    return ended && state != QPrinter::Error && state != QPrinter::Aborted;
}

}  // namespace

int FontHeightPixels(int pointSize, int dpi) {
    if (pointSize <= 0 || dpi <= 0) return 0;
    // pointSize × dpi / 72, to the nearest whole pixel, halves up.
    const qint64 twice = 2 * static_cast<qint64>(pointSize) * dpi;
    return static_cast<int>((twice + 72) / 144);
}

int ReportLinePitch(int fontHeight) {
    if (fontHeight <= 0) return 0;
    const qint64 triple = 3 * static_cast<qint64>(fontHeight);
    const qint64 below = triple / 2;
    if (triple % 2 == 0) return static_cast<int>(below);
    // An odd height puts 1.5 × height exactly halfway: take the even neighbour.
    return static_cast<int>(below % 2 == 0 ? below : below + 1);
}

QFont ReportPrintFont() {
    QFont font = ReportFont(kReportPointSize);
    font.setBold(false);
    return font;
}

bool PrintReport(QPrinter& printer, const QStringList& lines) {
    if (!printer.isValid()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;

    // Sized in device pixels, so the glyphs and the pitch agree on every printer.
    const int height = FontHeightPixels(kReportPointSize, printer.logicalDpiY());
    QFont font = ReportPrintFont();
    font.setPixelSize(height > 0 ? height : 1);
    painter.setFont(font);
    painter.setPen(Qt::black);
    // Text beyond the printable area is lost, on a file printer as on paper.
    const QRect printable(0, 0, printer.width(), printer.height());
    painter.setClipRect(printable);

    // Qt places text by its baseline; the line's top-left corner is the ascent above.
    const qreal ascent = QFontMetricsF(painter.font(), &printer).ascent();
    const qint64 pitch = ReportLinePitch(height);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qint64 top = kReportTop + i * pitch;
        if (top >= printable.height()) break;  // this line and every later one fall off the page
        painter.drawText(QPointF(kReportLeft, static_cast<qreal>(top) + ascent), lines.at(i));
    }
    return JobSucceeded(painter, printer);
}

PrintOutcome PrintReportWithDialog(Interaction& interaction, QPrinter& printer,
                                   const QStringList& lines) {
    if (!interaction.ChoosePrinter(printer)) return PrintOutcome::Cancelled;
    return PrintReport(printer, lines) ? PrintOutcome::Printed : PrintOutcome::Failed;
}

PrintOutcome PrintReportWithDialog(Interaction& interaction, const QStringList& lines) {
    QPrinter printer(QPrinter::HighResolution);
    return PrintReportWithDialog(interaction, printer, lines);
}

PrintOutcome PrintChart(Interaction& interaction, QPrinter& printer, const PaintChart& paint,
                        const SetChartBackground& setBackground) {
    setBackground(true);
    const OnExit restoreBackground([&] { setBackground(false); });
    if (!interaction.ChoosePrinter(printer)) return PrintOutcome::Cancelled;
    if (!printer.isValid()) return PrintOutcome::Failed;

    const QPageLayout::Orientation previous = printer.pageLayout().orientation();
    const OnExit restoreOrientation([&] { printer.setPageOrientation(previous); });
    printer.setPageOrientation(QPageLayout::Landscape);

    QPainter painter;
    if (!painter.begin(&printer)) return PrintOutcome::Failed;
    paint(painter, QRectF(0, 0, printer.width(), printer.height()));
    return JobSucceeded(painter, printer) ? PrintOutcome::Printed : PrintOutcome::Failed;
}

PrintOutcome PrintChart(Interaction& interaction, const PaintChart& paint,
                        const SetChartBackground& setBackground) {
    QPrinter printer(QPrinter::HighResolution);
    return PrintChart(interaction, printer, paint, setBackground);
}

}  // namespace kelvaron
