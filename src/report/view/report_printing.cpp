#include "report/view/report_printing.h"

#include "base/interaction.h"
#include "base/safe_file.h"
#include "report/report_font.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
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

namespace {

// `line` cut into pieces no wider than `width` with `metrics`: after the last
// blank that fits, or where the width ends in a run without blanks.
QStringList CarriedOver(const QString& line, qreal width, const QFontMetricsF& metrics) {
    QStringList pieces;
    QString rest = line;
    while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
        qsizetype fits = 1;  // at least one character a piece, however narrow the page
        while (fits < rest.size() && metrics.horizontalAdvance(rest.left(fits + 1)) <= width)
            ++fits;
        const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), fits - 1);
        if (blank > 0) fits = blank + 1;
        pieces << rest.left(fits);
        rest = rest.mid(fits);
    }
    pieces << rest;
    return pieces;
}

}  // namespace

bool PrintReport(QPrinter& printer, const QStringList& lines) {
    if (!printer.isValid()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.setPen(Qt::black);
    const QRect printable(0, 0, printer.width(), printer.height());
    painter.setClipRect(printable);

    // The largest size from 12 points down to 8 at which the widest line fits
    // beside the left margin. Sized in device pixels, so the glyphs and the pitch
    // agree on every printer.
    const qreal width = printable.width() - kReportLeft;
    QFont font = ReportPrintFont();
    int height = 1;
    for (int points = kReportPointSize; points >= kReportMinPointSize; --points) {
        height = std::max(1, FontHeightPixels(points, printer.logicalDpiY()));
        font.setPixelSize(height);
        const QFontMetricsF metrics(font, &printer);
        qreal widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= width) break;
    }
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    // A line wider still goes on over the following lines.
    QStringList printed;
    for (const QString& line : lines) printed << CarriedOver(line, width, metrics);

    // As many lines a page as there is room for their whole font height; then the
    // next page. Qt places text by its baseline; the line's top-left corner is the
    // ascent above.
    const qint64 pitch = ReportLinePitch(height);
    const qint64 perPage =
        std::max<qint64>(1, (printable.height() - kReportTop - height) / pitch + 1);
    for (qsizetype i = 0; i < printed.size(); ++i) {
        if (i > 0 && i % perPage == 0 && !printer.newPage()) return false;
        const qint64 top = kReportTop + (i % perPage) * pitch;
        painter.drawText(QPointF(kReportLeft, static_cast<qreal>(top) + metrics.ascent()),
                         printed.at(i));
    }
    return JobSucceeded(painter, printer);
}

bool SaveReportPdf(const QString& path, const QStringList& lines) {
    // Qt's PDF printer writes to a named file only: it writes into a private
    // folder, and the bytes then go to `path` as every save goes.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) return false;
    const QString pdf = scratch.filePath(QStringLiteral("report.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(kReportPdfDpi);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setCreator(QStringLiteral("Kelvaron"));
        if (!PrintReport(printer, lines)) return false;
    }
    constexpr qint64 kLargestPdf = qint64{1} << 30;  // far above any report's
    const std::optional<QByteArray> bytes = ReadWholeFile(pdf, kLargestPdf);
    return bytes && SaveFileAtomically(path, *bytes);
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
