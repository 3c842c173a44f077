// Any bytes as the report template and as the norms list, through the loaders'
// decoding and line cutting, then the report composed.
//
// Input: one byte of choices (norms in the report, the decimal separator, the
// stored norm index), one byte giving the norms file's length, the norms file,
// the results (46 bytes), then the template (the rest).
//
// Checks:
// - the template gives exactly one report line per template line, the lines being
//   cut at CR LF, LF or a lone CR, counted here independently of the program;
// - every report line is the template line rendered by the plain algorithm (one
//   pass, "#" and the next character replaced, never rescanned), written out here
//   once more as a reference;
// - every value is inserted verbatim: each value is fenced by two private-use
//   characters that no Windows-1251 byte decodes to, and the "#" characters of the
//   values ("#3#", "#F", "##", ...) are the only "#" in the report: every "#" of
//   the template is consumed as a code or as a code's character;
// - a report line is at most its template line plus one value for every "#";
// - a norms file with lines gives exactly those lines; an empty one (read from a
//   file in a program folder, with the template, through LoadNormsList and
//   ComposeReportLines) becomes the two built-in norms on disk too, and the
//   template file is left as it was; the stored norm index picks an entry
//   whatever its value, and the norms list saved and read again is the same list.
#include "base/quantities.h"
#include "base/text_codec.h"
#include "fuzz_support.h"
#include "report/norms_list.h"
#include "report/report_template.h"
#include "report/text_lines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace kelvaron;
using namespace kelvaron::fuzzing;

const char* const kelvaron::fuzzing::kTargetName = "fuzz_report";

namespace {

// Fences around every value: no Windows-1251 byte decodes to these.
constexpr char16_t kOpen = 0xE000;
constexpr char16_t kClose = 0xE001;

QString Fenced(const QString& text) { return QChar(kOpen) + text + QChar(kClose); }

// The lines of a text file, worked out apart from the program: every line end
// made one "\n", then cut; a line end at the very end opens no further line.
QStringList IndependentLines(QByteArray bytes) {
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    QStringList lines;
    if (bytes.isEmpty()) return lines;
    if (bytes.endsWith('\n')) bytes.chop(1);
    for (const QByteArray& piece : bytes.split('\n')) lines << DecodeCp1251(piece);
    return lines;
}

// The bytes a list saved by the program must have: every line and CR LF.
QByteArray CrLfBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += EncodeCp1251(line) + "\r\n";
    return bytes;
}

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t{Byte()} << (8 * i);
        return static_cast<int32_t>(v);
    }
    QByteArray Bytes(size_t n) {
        n = std::min(n, size - at);
        const QByteArray out(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n));
        at += n;
        return out;
    }
    QByteArray Rest() { return Bytes(size - at); }
};

// The line rendered by the plain algorithm: a left-to-right pass with a skip flag.
QString ReferenceRender(const QString& line, const QString (&codes)[128],
                        const QString (&rows)[7]) {
    QString out;
    bool skip = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (skip) {
            skip = false;
            continue;
        }
        const QChar c = line[i];
        if (c != QLatin1Char('#')) {
            out += c;
            continue;
        }
        if (i + 1 < line.size()) {
            const char16_t code = line[i + 1].unicode();
            if (code == u'F') {
                int n = i == 0 ? 0 : line[i - 1].unicode() - u'0';
                if (n < 1 || n > 6) n = 3;
                out += rows[n];
            } else if (code < 128) {
                out += codes[code];
            }
        }
        skip = true;
    }
    return out;
}

// Cuts the fenced values out of a report line: each must be one of `values`, and
// what is left must hold no "#" and no stray fence.
void CheckValuesVerbatim(const QString& line, const QStringList& values) {
    qsizetype i = 0;
    while (i < line.size()) {
        const char16_t c = line[i].unicode();
        if (c == kClose) Fail("a value's closing fence without its opening");
        if (c == u'#') Fail("a '#' outside every inserted value: the template's own or rescanned");
        if (c != kOpen) {
            ++i;
            continue;
        }
        const qsizetype end = line.indexOf(QChar(kClose), i);
        if (end < 0) Fail("a value cut short");
        const QString value = line.mid(i, end - i + 1);
        if (!values.contains(value)) Fail("a value changed on its way into the report");
        i = end + 1;
    }
}

// The values of every run but the results and the norm: each with "#" in it.
ReportValues BaseValues() {
    ReportValues v;
    v.stationLine1 = Fenced(QStringLiteral("#1#"));
    v.stationLine2 = Fenced(QStringLiteral("##"));
    v.header.vehicleNumber = Fenced(QStringLiteral("#3#"));
    v.header.make = Fenced(QStringLiteral("#F"));
    v.header.owner = Fenced(QStringLiteral("#"));
    v.header.extra = Fenced(QStringLiteral(" 5#F#A#"));
    v.header.vin = Fenced(QStringLiteral("#B#C"));
    v.header.decision = Fenced(QStringLiteral("#9#"));
    v.oilText = Fenced(QStringLiteral("#0#"));
    v.moment = QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7));
    v.locale = QLocale(QLocale::Russian, QLocale::Russia);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ReportValues base = BaseValues();
    static const QString dir = FuzzFolder();
    static const QString templatePath = dir + kTemplateFileName;
    static const QString normsPath = dir + kNormsFileName;
    static const QByteArray templateFile = QFile::encodeName(templatePath);
    static const QByteArray normsFile = QFile::encodeName(normsPath);

    Reader in{data, size};
    const uint8_t choices = in.Byte();
    const QByteArray normsBytes = in.Bytes(in.Byte());

    // Results as the instrument could report them.
    ReportValues values = base;
    TestResults& results = values.results;
    results.freeAccelMeanX10 = in.Int();
    results.freeAccelValidity = in.Byte() % 4;
    results.maxSpeedMeanX10 = in.Int();
    results.maxSpeedValidity = in.Byte() % 3;
    results.hasFreeAccelResult = results.freeAccelMeanX10 % 2 == 0;  // half without a test
    results.hasMaxSpeedResult = results.maxSpeedMeanX10 % 2 == 0;
    for (size_t i = 0; i < TestResults::kMeasurements; ++i) {
        const int opacityX10 = static_cast<int16_t>(in.Byte() | in.Byte() << 8);
        results.peakN[i] = opacityX10 / 10.0;
        results.peakK[i] = OpacityToK(opacityX10 / 10.0);
        results.peakRpm[i] = in.Int();
        results.sampled[i] = results.peakRpm[i] >= 0;  // half the rows without a sample
    }
    const QByteArray templateBytes = in.Rest();

    // The loaders' own path through the files where the file's content decides
    // what they do: an empty norms file is replaced by the built-in norms.
    // Otherwise the plain functions take the bytes, decoded and cut into lines
    // as the file readers do: under the sanitizers reading a file costs more
    // than all the rest.
    const bool throughFiles = normsBytes.isEmpty();
    if (throughFiles) {
        PutFile(templateFile, templateBytes);
        PutFile(normsFile, normsBytes);
    }

    // The norms list.
    QStringList norms = {QStringLiteral("left from before")};
    if (throughFiles)
        LoadNormsList(normsPath, norms);
    else
        norms = SplitLines(DecodeCp1251(normsBytes));
    const QStringList fileLines = IndependentLines(normsBytes);
    if (fileLines.isEmpty()) {
        Check(norms == DefaultNorms(), "an empty norms file gave other than the built-in norms");
        Check(FileBytes(normsPath) == CrLfBytes(DefaultNorms()),
              "an empty norms file was not rewritten with the built-in norms");
    } else {
        Check(norms == fileLines, "the norms list is not the file's lines");
        if (throughFiles)
            Check(FileBytes(normsPath) == normsBytes, "loading the norms changed their file");
    }
    const int storedIndex = static_cast<int>(choices >> 3) - 4;  // -4 .. 27
    const NormChoice norm = ChooseStoredNorm(norms, storedIndex);
    Check(norm.index == (storedIndex >= 0 && storedIndex < norms.size() ? storedIndex : 0),
          "the stored norm index picks the wrong entry");
    Check(norm.text == norms[norm.index], "the norm text is not its entry");
    // Saved ("Добавить" saves the whole list: every entry and CR LF) and read
    // again: the same list.
    Check(SplitLines(DecodeCp1251(CrLfBytes(norms))) == norms,
          "the norms list changed through a save and a load");

    // The report.
    values.normText = Fenced(norm.text);
    values.normsInReport = (choices & 1) != 0;
    values.decimalSeparator = (choices & 2) ? QLatin1Char('.') : QLatin1Char(',');
    QStringList report;
    if (throughFiles) {
        report = ComposeReportLines(dir, values).lines;
        Check(FileBytes(templatePath) == templateBytes, "composing changed the template file");
    } else {
        const ReportCodes codes(values);
        for (const QString& line : SplitLines(DecodeCp1251(templateBytes)))
            report << codes.Render(line);
    }
    const QStringList templateLines = IndependentLines(templateBytes);
    Check(report.size() == templateLines.size(), "not one report line for every template line");
    if (report.isEmpty()) return 0;

    // What every code stands for; the rows only when a line asks for one.
    const QChar sep = values.decimalSeparator;
    QString codes[128];
    if (results.hasFreeAccelResult)
        codes[u'0'] = FreeAccelReportLine(results.freeAccelMeanX10, results.freeAccelValidity, sep);
    codes[u'1'] = values.stationLine1;
    codes[u'2'] = values.stationLine2;
    codes[u'3'] = values.header.vehicleNumber;
    codes[u'4'] = values.header.make;
    codes[u'5'] = values.header.owner;
    codes[u'6'] = values.header.extra;
    codes[u'7'] = QStringLiteral("08.12.2026");
    codes[u'8'] = QStringLiteral("9:05:07");
    codes[u'9'] = values.header.decision;
    if (results.hasMaxSpeedResult)
        codes[u'A'] = MaxSpeedReportLine(results.maxSpeedMeanX10, results.maxSpeedValidity, sep);
    codes[u'B'] = values.header.vin;
    if (values.normsInReport) codes[u'C'] = QStringLiteral("Нормы:   ") + values.normText;
    qsizetype longest = 0;
    for (const QString& code : codes) longest = std::max(longest, code.size());
    QString rows[7];
    if (templateBytes.contains("#F")) {
        for (int n = 1; n <= 6; ++n) {
            rows[n] = MeasurementRow(results, n, values.oilText, sep);
            longest = std::max(longest, rows[n].size());
        }
    }
    const QStringList fenced = {
        values.stationLine1, values.stationLine2,    values.header.vehicleNumber,
        values.header.make,  values.header.owner,    values.header.extra,
        values.header.vin,   values.header.decision, values.oilText,
        values.normText};

    for (qsizetype i = 0; i < report.size(); ++i) {
        const QString& line = report[i];
        const QString& source = templateLines[i];
        Check(line == ReferenceRender(source, codes, rows),
              "a report line is not its template line rendered");
        CheckValuesVerbatim(line, fenced);
        Check(line.size() <= source.size() + source.count(QLatin1Char('#')) * longest,
              "a report line longer than its template line and one value per '#'");
    }
    // RenderLine, the entry point for one line, gives the same line.
    if (choices & 4) Check(RenderLine(templateLines[0], values) == report[0], "RenderLine differs");
    return 0;
}
