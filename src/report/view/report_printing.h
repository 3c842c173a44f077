#pragma once
// Printing the report and the measurement chart. The report goes line by line
// at fixed device-pixel positions, over as many pages as it needs; the chart is
// painted by the caller on one landscape page. The print dialog is asked through the
// interaction seam, so none of this needs the chart component or a window.
#include <QFont>
#include <QRectF>
#include <QStringList>

#include <functional>

class QPainter;
class QPrinter;

namespace kelvaron {

class Interaction;

// How a print with the print dialog ended.
enum class PrintOutcome { Printed, Cancelled, Failed };

// The report's place on the page and its font size: line i of a page has its
// top-left corner at (kReportLeft, kReportTop + i × pitch) device pixels.
inline constexpr int kReportLeft = 200;
inline constexpr int kReportTop = 20;
inline constexpr int kReportPointSize = 12;
inline constexpr int kReportMinPointSize = 8;  // the font is never made smaller

// The height of a font of `pointSize` points on a device of `dpi` dots per inch,
// in whole device pixels: the character height without the line gap, pointSize ×
// dpi / 72 rounded to the nearest (halves up), as printer drivers size fonts. 12
// points at 600 dpi are 100 pixels.
int FontHeightPixels(int pointSize, int dpi);

// The line pitch for a font `fontHeight` pixels high: 1.5 × the height, rounded
// to the nearest whole number with halves to the even neighbour (100 → 150,
// 33 → 50, 35 → 52).
int ReportLinePitch(int fontHeight);

// The printed report's font, regular weight and black when drawn: "Lucida
// Console" where installed, otherwise the report view's fixed-pitch family.
// Needs a running QGuiApplication.
QFont ReportPrintFont();

// Prints `lines` on `printer` as one job, every line on paper: the font
// ReportPrintFont sized FontHeightPixels(12, the printer's resolution), or the
// largest size down to 8 points at which the widest line fits the printable
// width; a line wider still at 8 points goes on over the lines below it. Each
// line at its fixed position, a further page when one is full. False when the
// printer is not usable or the job could not be started or finished.
bool PrintReport(QPrinter& printer, const QStringList& lines);

// The resolution a PDF report is laid out at: that of a common office printer,
// so the left margin, the font and the pitch stand as they do on its paper.
inline constexpr int kReportPdfDpi = 600;

// Writes `lines` to `path` as a PDF on A4, laid out by PrintReport as on a
// printer of kReportPdfDpi (more pages when needed), the whole file written to a
// temporary file first and renamed over the old one, as every other save. False,
// with any old file untouched, when it could not be written.
bool SaveReportPdf(const QString& path, const QStringList& lines);

// The print dialog on `printer` (the program's one printer, so the dialog
// remembers the last choice), then PrintReport. Cancelled prints nothing.
PrintOutcome PrintReportWithDialog(Interaction& interaction, QPrinter& printer,
                                   const QStringList& lines);
// The same on a printer made for this print only.
PrintOutcome PrintReportWithDialog(Interaction& interaction, const QStringList& lines);

// Paints the chart scaled into the given rectangle (device pixels of the page).
using PaintChart = std::function<void(QPainter& painter, const QRectF& area)>;
// Sets the chart's background: white when true, the configured colour when false.
using SetChartBackground = std::function<void(bool white)>;

// Prints the chart: the background turns white, the print dialog is shown and,
// when confirmed, `paint` draws the chart over the whole printable area of one
// page, the printer's orientation being landscape for this job and set back to
// what it was afterwards. In every case (printed, cancelled, failed, or `paint`
// throwing) the background is set back before returning.
PrintOutcome PrintChart(Interaction& interaction, QPrinter& printer, const PaintChart& paint,
                        const SetChartBackground& setBackground);
// The same on a printer made for this print only.
PrintOutcome PrintChart(Interaction& interaction, const PaintChart& paint,
                        const SetChartBackground& setBackground);

}  // namespace kelvaron
