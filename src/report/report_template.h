#pragma once
// The report: a template of fixed text and two-character codes ("#" and one code
// character), each code replaced by the value it stands for. Composing reads the
// template file afresh every time (writing the built-in one when it is missing)
// and renders every line; nothing is cached between compositions.
#include "base/locale_formats.h"
#include "report/report_header.h"
#include "results/results_store.h"

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>

namespace kelvaron {

// The template file beside the program.
inline const QString kTemplateFileName = QStringLiteral("TemplateDef.txt");

// Everything a report shows, gathered at the moment of composition.
struct ReportValues {
    ReportHeader header;               // #3 #4 #5 #6 #9 #B
    QString stationLine1;              // #1
    QString stationLine2;              // #2
    TestResults results;               // #0 #A and the rows of #F
    QString oilText;                   // the live oil-temperature text, in every #F row
    QString normText;                  // the current norm, for #C
    bool normsInReport = true;         // #C prints the norm only when set
    QDateTime moment;                  // #7 and #8
    QLocale locale = ProgramLocale();  // short date and long time formats
    QChar decimalSeparator = QLatin1Char(',');
};

// The replacement of every code, worked out once for one composition, so that
// rendering a line costs one pass over it.
class ReportCodes {
public:
    explicit ReportCodes(const ReportValues& values);

    // The line with every code replaced. Codes are "#" and the next character:
    // 0-9, A, B, C and F stand for values; any other character after "#", and a
    // "#" at the end of the line, vanish with the "#". "#F" is the row of the
    // measurement whose digit (1..6) stands just before the "#" in the line,
    // measurement 3 otherwise. Inserted text is never scanned for codes.
    QString Render(const QString& line) const;

private:
    // The text of a code other than "F"; empty for a character that is no code.
    const QString& Replacement(QChar code) const;

    // "#0".."#9" at 0..9, "#A" "#B" "#C" at 10..12.
    std::array<QString, 13> codes_;
    std::array<QString, TestResults::kMeasurements> rows_;  // "#F" of measurements 1..6
};

// One template line rendered with `values` (see ReportCodes::Render).
QString RenderLine(const QString& line, const ReportValues& values);

// The result line of a test from its mean opacity (tenths of a percent) and the
// instrument's validity code: "K = ... м-1 ,   Ср.дымность N = ... % " when valid,
// the invalid text of the code otherwise, nothing for a code without a text.
QString FreeAccelReportLine(int32_t meanX10, int32_t validity, QChar separator);
QString MaxSpeedReportLine(int32_t meanX10, int32_t validity, QChar separator);

// The table row of measurement `n` (1..6): nine spaces and the columns K, N, the
// oil text and the engine speed, each padded to at least 12 characters; blank
// columns for a measurement that took no sample.
QString MeasurementRow(const TestResults& results, int n, const QString& oilText, QChar separator);

// The built-in template: 29 lines, or 28 without the norms line "  #C".
QStringList DefaultTemplate(bool normsInReport);

// The composed report. Reads `programDir` + "TemplateDef.txt"; when it is missing,
// writes the built-in template there first (silently keeping on when that fails)
// and uses it. A template that exists but cannot be read is left alone and the
// built-in one is used, saying so. Every line is then rendered with `values`.
// `programDir` ends with a separator.
struct ComposedReport {
    QStringList lines;
    bool templateUnreadable = false;
};
ComposedReport ComposeReportLines(const QString& programDir, const ReportValues& values);

}  // namespace kelvaron
