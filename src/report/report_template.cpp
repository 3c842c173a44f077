#include "report/report_template.h"

#include "base/locale_formats.h"
#include "base/quantities.h"
#include "report/text_lines.h"

#include <QFileInfo>

namespace kelvaron {

namespace {

constexpr int kColumnWidth = 12;

QString Column(const QString& text) { return text.leftJustified(kColumnWidth, QLatin1Char(' ')); }

QString ValidResultLine(int32_t meanX10, QChar separator) {
    const double n = meanX10 / 10.0;
    return QStringLiteral("K = ") + FormatFixed(OpacityToK(n), 3, separator, 5) +
           QStringLiteral(" м-1 ,") + QStringLiteral("   Ср.дымность N = ") +
           FormatFixed(n, 1, separator, 4) + QStringLiteral(" % ");
}

}  // namespace

namespace {

QString ReportLine(TestKind kind, int32_t meanX10, int32_t code, QChar separator) {
    const Validity validity = ValidityOf(kind, code);
    return validity == Validity::Valid ? ValidResultLine(meanX10, separator)
                                       : InvalidResultText(validity);
}

}  // namespace

QString FreeAccelReportLine(int32_t meanX10, int32_t validity, QChar separator) {
    return ReportLine(TestKind::FreeAccel, meanX10, validity, separator);
}

QString MaxSpeedReportLine(int32_t meanX10, int32_t validity, QChar separator) {
    return ReportLine(TestKind::MaxSpeed, meanX10, validity, separator);
}

QString MeasurementRow(const TestResults& results, int n, const QString& oilText, QChar separator) {
    const auto i = static_cast<size_t>(n - 1);
    // A measurement that took no sample has no values: its row shows no number.
    if (!results.sampled[i]) return QString(9 + 4 * kColumnWidth, QLatin1Char(' '));
    return QString(9, QLatin1Char(' ')) + Column(FormatFixed(results.peakK[i], 3, separator, 5)) +
           Column(FormatFixed(results.peakN[i], 1, separator, 4)) + Column(oilText) +
           Column(QString::number(results.peakRpm[i]));
}

ReportCodes::ReportCodes(const ReportValues& v) {
    const QChar sep = v.decimalSeparator;
    const TestResults& r = v.results;
    if (r.hasFreeAccelResult)
        codes_[0] = FreeAccelReportLine(r.freeAccelMeanX10, r.freeAccelValidity, sep);
    codes_[1] = v.stationLine1;
    codes_[2] = v.stationLine2;
    codes_[3] = v.header.vehicleNumber;
    codes_[4] = v.header.make;
    codes_[5] = v.header.owner;
    codes_[6] = v.header.extra;
    codes_[7] = ShortDate(v.moment.date(), v.locale);
    codes_[8] = LongTime(v.moment.time(), v.locale);
    codes_[9] = v.header.decision;
    if (r.hasMaxSpeedResult)
        codes_[10] = MaxSpeedReportLine(r.maxSpeedMeanX10, r.maxSpeedValidity, sep);
    codes_[11] = v.header.vin;
    if (v.normsInReport) codes_[12] = QStringLiteral("Нормы:   ") + v.normText;
    for (int n = 1; n <= TestResults::kMeasurements; ++n)
        rows_[static_cast<size_t>(n - 1)] = MeasurementRow(v.results, n, v.oilText, sep);
}

const QString& ReportCodes::Replacement(QChar code) const {
    static const QString nothing;
    const char16_t c = code.unicode();
    if (c >= u'0' && c <= u'9') return codes_[c - u'0'];
    if (c >= u'A' && c <= u'C') return codes_[10 + (c - u'A')];
    return nothing;
}

QString ReportCodes::Render(const QString& line) const {
    const QChar* text = line.constData();
    const qsizetype size = line.size();
    QString out;
    out.reserve(size);
    qsizetype plainFrom = 0;  // start of the plain text not yet copied
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != QLatin1Char('#')) continue;
        out.append(text + plainFrom, i - plainFrom);
        if (i + 1 < size) {
            const QChar code = text[i + 1];
            if (code == QLatin1Char('F')) {
                // The measurement's digit is the template character before the "#".
                int n = i > 0 ? text[i - 1].unicode() - u'0' : 0;
                if (n < 1 || n > TestResults::kMeasurements) n = 3;
                out += rows_[static_cast<size_t>(n - 1)];
            } else {
                out += Replacement(code);
            }
            ++i;  // the code character is consumed
        }
        plainFrom = i + 1;
    }
    out.append(text + plainFrom, size - plainFrom);
    return out;
}

QString RenderLine(const QString& line, const ReportValues& values) {
    return ReportCodes(values).Render(line);
}

QStringList DefaultTemplate(bool normsInReport) {
    QString columns = QStringLiteral("  № Изм.      ");
    for (const char16_t* title : {u"K,n-1", u"N,%", u"Tмасла", u"F,об\\мин"})
        columns += Column(QString::fromUtf16(title));
    QStringList lines = {
        QString(),
        QStringLiteral("  #1"),
        QStringLiteral("  #2"),
        QString(),
        QStringLiteral("     № автомобиля:  #3       VIN:   #B"),
        QString(),
        QStringLiteral("     Марка:         #4       Владелец:      #5       #6"),
        QString(),
        QStringLiteral("                   Дата:   #7     Время:  #8"),
        QString(),
        QStringLiteral("                Результаты анализа выхлопных газов."),
        QStringLiteral("                ") + QString(35, QLatin1Char('_')),
        QStringLiteral("  Средний коэффициент ослабления на свободных ускорениях:"),
        QStringLiteral("      #0"),
        QStringLiteral("                  Результаты измерений:"),
        columns,
    };
    for (int n = 1; n <= TestResults::kMeasurements; ++n)
        lines << QStringLiteral("    %1#F").arg(n);
    lines << QString()
          << QStringLiteral("  (Средний коэффициент ослабления на максимальных оборотах:")
          << QStringLiteral("      #A)") << QString();
    if (normsInReport) lines << QStringLiteral("  #C");
    lines << QString() << QStringLiteral("   Решение по автомобилю :   #9              Подпись:");
    return lines;
}

ComposedReport ComposeReportLines(const QString& programDir, const ReportValues& values) {
    const QString path = programDir + kTemplateFileName;
    ComposedReport report;
    if (QFileInfo::exists(path)) {
        std::optional<QStringList> read = ReadTextLines(path);
        // A template that exists but cannot be read is left as it is, and the
        // report of this vehicle is composed from the built-in one all the same.
        report.templateUnreadable = !read;
        report.lines = read ? std::move(*read) : DefaultTemplate(values.normsInReport);
    } else {
        report.lines = DefaultTemplate(values.normsInReport);
        // A failure leaves the file missing; the report is still shown.
        WriteTextLines(path, report.lines);
    }
    const ReportCodes codes(values);
    for (QString& line : report.lines) line = codes.Render(line);
    return report;
}

}  // namespace kelvaron
