// kelvaron-report-bench: how long composing the report takes, from reading the
// template file to the rendered lines: the built-in template, a 1 MB template of
// many lines full of codes, and a 1 MB template that is a single line. Median of
// repeated runs; the poll tick runs every 20 ms on the same thread.
#include "report/report_template.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace kelvaron;

namespace {

ReportValues Values() {
    ReportValues v;
    v.header.vehicleNumber = QStringLiteral("А123АА");
    v.header.make = QStringLiteral("КАМАЗ");
    v.header.owner = QStringLiteral("Иванов");
    v.header.extra = QStringLiteral("доп.");
    v.header.vin = QStringLiteral("XTA21099012345");
    v.stationLine1 = QStringLiteral("Станция технического осмотра");
    v.stationLine2 = QStringLiteral("                 www.example.org");
    v.results.freeAccelMeanX10 = 178;
    v.results.maxSpeedMeanX10 = 250;
    for (int i = 0; i < TestResults::kMeasurements; ++i) {
        v.results.peakN[static_cast<size_t>(i)] = 15.0 + i;
        v.results.peakK[static_cast<size_t>(i)] = 0.4 + i / 10.0;
        v.results.peakRpm[static_cast<size_t>(i)] = 2400 + 10 * i;
    }
    v.oilText = QStringLiteral("81,5");
    v.normText = QStringLiteral("    по ГОСТ без наддува:   2,5  м-1");
    v.moment = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 7));
    v.locale = QLocale(QLocale::Russian, QLocale::Russia);
    return v;
}

// Median milliseconds of `runs` compositions; `lines` and `chars` of the last one.
double MedianMs(const QString& programDir, int runs, qsizetype& lines, qsizetype& chars) {
    const ReportValues values = Values();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const QStringList report = ComposeReportLines(programDir, values).lines;
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        lines = report.size();
        chars = 0;
        for (const QString& line : report) chars += line.size();
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

bool PutTemplate(const QString& programDir, const QByteArray& bytes) {
    QFile f(programDir + kTemplateFileName);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void Run(const char* title, const QString& programDir, int runs, qsizetype templateBytes) {
    qsizetype lines = 0, chars = 0;
    const double ms = MedianMs(programDir, runs, lines, chars);
    std::printf("%-34s %9lld bytes -> %7lld lines, %9lld chars: %8.3f ms (median of %d)\n", title,
                static_cast<long long>(templateBytes), static_cast<long long>(lines),
                static_cast<long long>(chars), ms, runs);
}

}  // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString programDir = dir.path() + QLatin1Char('/');

    // The built-in template, written by the first composition and read afterwards.
    ComposeReportLines(programDir, Values());
    Run("built-in template", programDir, 101, QFile(programDir + kTemplateFileName).size());

    constexpr qsizetype kMegabyte = 1 << 20;
    const QByteArray line = "  #1 #3 #4 #5 #7 #8 #9 1#F #0 #A #C #B ##\r\n";
    QByteArray manyLines;
    while (manyLines.size() + line.size() <= kMegabyte) manyLines += line;
    if (!PutTemplate(programDir, manyLines)) return 1;
    Run("1 MB, lines of codes", programDir, 11, manyLines.size());

    const QByteArray piece = "#3 2#F x#0 #7#";
    QByteArray oneLine;
    while (oneLine.size() + piece.size() <= kMegabyte) oneLine += piece;
    if (!PutTemplate(programDir, oneLine)) return 1;
    Run("1 MB, one line of codes", programDir, 11, oneLine.size());

    QByteArray plain(kMegabyte, 'x');
    if (!PutTemplate(programDir, plain)) return 1;
    Run("1 MB, one line of plain text", programDir, 11, plain.size());
    return 0;
}
