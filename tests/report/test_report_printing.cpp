// Printing the report and the chart, on a printer that writes a PDF file which
// the test reads back with poppler's pdftotext: where each printed word landed,
// how many pages there are and which way they face.
#include "report/view/report_printing.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>
#include <stdexcept>

using namespace kelvaron;
using kelvaron::testing::ScriptedInteraction;

namespace {

constexpr int kDpi = 600;
constexpr qreal kPointsPerPixel = 72.0 / kDpi;

struct PdfWord {
    QString text;
    QRectF box;  // points, from the page's top-left corner
    int page = 0;
};

struct PdfText {
    QList<QSizeF> pages;  // points
    QList<PdfWord> words;

    const PdfWord* Find(const QString& text) const {
        for (const PdfWord& word : words)
            if (word.text == text) return &word;
        return nullptr;
    }
};

QString PdfToText() { return QStandardPaths::findExecutable(QStringLiteral("pdftotext")); }

// The pages and words of a PDF, from `pdftotext -bbox`. Nothing when it fails.
std::optional<PdfText> ReadPdf(const QString& path) {
    QProcess process;
    process.start(PdfToText(), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return std::nullopt;
    const QString xhtml = QString::fromUtf8(process.readAllStandardOutput());
    PdfText pdf;
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re"));
    for (const auto& m : page.globalMatch(xhtml))
        pdf.pages << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([0-9.-]+)" yMin="([0-9.-]+)" xMax="([0-9.-]+)" yMax="([0-9.-]+)">([^<]*)</word>)re"));
    const QStringList pages = xhtml.split(QStringLiteral("<page "));
    for (int p = 1; p < pages.size(); ++p) {
        for (const auto& m : word.globalMatch(pages[p])) {
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            pdf.words << PdfWord{m.captured(5), QRectF(topLeft, bottomRight), p - 1};
        }
    }
    return pdf;
}

#define REQUIRE_PDFTOTEXT()                                                                   \
    do {                                                                                      \
        if (PdfToText().isEmpty())                                                            \
            QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back"); \
    } while (false)

// A printer that writes `path` as an A4 PDF at 600 dpi.
void MakePdfPrinter(QPrinter& printer, const QString& path,
                    QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setResolution(kDpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
}

// The interaction seam whose print dialog, when confirmed, points the printer at
// a PDF file, as choosing "print to file" in the system's dialog does.
class PrintToFile final : public Interaction {
public:
    ScriptedInteraction script;
    QString outputPath;  // empty: the printer is left as the dialog found it

    void Notice(const QString& text) override { script.Notice(text); }
    Answer Warn(const QString& text, Buttons buttons) override {
        return script.Warn(text, buttons);
    }
    std::optional<FileChoice> OpenFile(const FileDialog& d) override { return script.OpenFile(d); }
    std::optional<FileChoice> SaveFile(const FileDialog& d) override { return script.SaveFile(d); }
    bool ChoosePrinter(QPrinter& printer) override {
        const bool confirmed = script.ChoosePrinter(printer);
        if (confirmed && !outputPath.isEmpty()) {
            printer.setOutputFileName(outputPath);
            printer.setResolution(kDpi);
        }
        return confirmed;
    }
    std::optional<QColor> ChooseColor(const QColor& c) override { return script.ChooseColor(c); }
    bool OpenWithDesktop(const QString& path) override { return script.OpenWithDesktop(path); }
};

// "Строка01", "Строка02", ...: one word per line, each found again by its text.
QStringList NumberedLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Строка%1").arg(i, 2, 10, QLatin1Char('0'));
    return lines;
}

// A stand-in for the measurement chart: its background and how it was painted.
struct FakeChart {
    QList<bool> backgrounds;  // every call of the background setter, white = true
    bool white = false;
    int paints = 0;
    QRectF area;
    QPageLayout::Orientation orientationWhilePainting = QPageLayout::Portrait;
    bool whiteWhilePainting = false;
    bool throwWhilePainting = false;
    QPrinter* printer = nullptr;

    SetChartBackground Background() {
        return [this](bool toWhite) {
            backgrounds << toWhite;
            white = toWhite;
        };
    }
    PaintChart Paint() {
        return [this](QPainter& painter, const QRectF& target) {
            ++paints;
            area = target;
            whiteWhilePainting = white;
            if (printer) orientationWhilePainting = printer->pageLayout().orientation();
            if (throwWhilePainting) throw std::runtime_error("chart broke");
            painter.drawRect(target.adjusted(10, 10, -10, -10));
            QFont font = painter.font();
            font.setPixelSize(200);
            painter.setFont(font);
            painter.drawText(target, Qt::AlignCenter, QStringLiteral("ГРАФИК"));
        };
    }
};

}  // namespace

class ReportPrintingTest : public QObject {
    Q_OBJECT

private slots:
    void fontHeightFollowsTheResolution_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("12 pt at 600 dpi") << 12 << 600 << 100;
        QTest::newRow("12 pt at 300 dpi") << 12 << 300 << 50;
        QTest::newRow("12 pt at 1200 dpi") << 12 << 1200 << 200;
        QTest::newRow("12 pt at 203 dpi rounds up") << 12 << 203 << 34;    // 33.83
        QTest::newRow("12 pt at 200 dpi rounds down") << 12 << 200 << 33;  // 33.33
        QTest::newRow("a half rounds up") << 3 << 36 << 2;                 // 1.5
        QTest::newRow("no resolution") << 12 << 0 << 0;
    }
    void fontHeightFollowsTheResolution() {
        QFETCH(int, points);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(FontHeightPixels(points, dpi), pixels);
    }

    void linePitchIsOneAndAHalfHeightsHalvesToEven_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pitch");
        QTest::newRow("100 px, the 600 dpi report") << 100 << 150;
        QTest::newRow("34 px") << 34 << 51;
        QTest::newRow("33 px: 49.5 goes up to 50") << 33 << 50;
        QTest::newRow("35 px: 52.5 goes down to 52") << 35 << 52;
        QTest::newRow("1 px: 1.5 goes up to 2") << 1 << 2;
        QTest::newRow("3 px: 4.5 goes down to 4") << 3 << 4;
    }
    void linePitchIsOneAndAHalfHeightsHalvesToEven() {
        QFETCH(int, height);
        QFETCH(int, pitch);
        QCOMPARE(ReportLinePitch(height), pitch);
    }

    // At 600 dpi 12 points are 100 device pixels: line i has its top-left corner at
    // (200, 20 + 150 i) pixels, that is (24, 2.4 + 18 i) points from the corner of
    // the printable area.
    void everyLineLandsAtItsPosition() {
        REQUIRE_PDFTOTEXT();
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        QPrinter printer(QPrinter::HighResolution);
        MakePdfPrinter(printer, path);
        const QStringList lines = NumberedLines(12);
        // Leading blanks are printed too: they line up the report's columns.
        const QString indented = QStringLiteral("    Отступ");
        QVERIFY(PrintReport(printer, QStringList(lines) << indented));

        const auto pdf = ReadPdf(path);
        QVERIFY(pdf);
        QCOMPARE(pdf->pages.size(), 1);
        const QRectF printable = printer.pageRect(QPrinter::Point);
        const qreal left = printable.left() + kReportLeft * kPointsPerPixel;
        const qreal pitch = ReportLinePitch(FontHeightPixels(12, kDpi)) * kPointsPerPixel;
        QCOMPARE(pitch, 18.0);
        const PdfWord* first = pdf->Find(lines.first());
        QVERIFY(first);
        for (int i = 0; i < lines.size(); ++i) {
            const PdfWord* word = pdf->Find(lines[i]);
            QVERIFY2(word, qPrintable(lines[i]));
            // Poppler's left edge of a word is the pen position where its first
            // glyph starts; 0.25 point (2 device pixels) covers the rounding of
            // the coordinates Qt writes into the page.
            QVERIFY2(std::abs(word->box.left() - left) < 0.25,
                     qPrintable(QStringLiteral("%1 at x %2, expected %3")
                                    .arg(lines[i])
                                    .arg(word->box.left())
                                    .arg(left)));
            // Lines of one font differ only in their offset: poppler writes
            // coordinates with six decimals, Qt's PDF positions with far finer
            // steps than the 0.01 point allowed here.
            QVERIFY2(std::abs(word->box.top() - first->box.top() - i * pitch) < 0.01,
                     qPrintable(QStringLiteral("%1 at y %2").arg(lines[i]).arg(word->box.top())));
        }
        // Poppler puts the top of a word at its font's ascent above the baseline,
        // the same ascent above which the line's corner was placed; the ascent in
        // the embedded font's descriptor is rounded to 1/1000 em, and 0.25 point
        // (2 device pixels) covers that and the coordinates' rounding.
        const qreal top = printable.top() + kReportTop * kPointsPerPixel;
        QVERIFY2(
            std::abs(first->box.top() - top) < 0.25,
            qPrintable(
                QStringLiteral("first line at y %1, expected %2").arg(first->box.top()).arg(top)));
        // 12 points high, whatever the font's line gap.
        QVERIFY(first->box.height() > 10.0 && first->box.height() < 16.0);

        // A fixed-pitch font: the indented line starts four glyph advances in.
        const PdfWord* shifted = pdf->Find(QStringLiteral("Отступ"));
        QVERIFY(shifted);
        const qreal advance = first->box.width() / lines.first().size();
        QVERIFY(std::abs(shifted->box.left() - (left + 4 * advance)) < 0.25);
        QVERIFY(std::abs(shifted->box.top() - first->box.top() - lines.size() * pitch) < 0.01);
    }

    // Every line of the report reaches paper: a report longer than a page goes on
    // over further pages, each starting at the top; a line too wide at 12 points
    // is printed smaller, down to 8 points, and one too wide even then goes on
    // over the following lines. Nothing is printed beyond the printable area.
    void everyLineReachesPaper_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("pages");
        QTest::addColumn<qreal>("lowestPoints");  // the font's height may not be smaller
        QTest::addColumn<qreal>("highestPoints");
        const auto words = [](int count) {
            QStringList w;
            for (int i = 1; i <= count; ++i)
                w << QStringLiteral("с%1").arg(i, 3, 10, QLatin1Char('0'));
            return QStringList{w.join(QLatin1Char(' '))};
        };
        QTest::addColumn<bool>("savedAsPdf");  // SaveReportPdf rather than a PDF printer
        for (const bool saved : {false, true}) {
            const char* how = saved ? ", saved as PDF" : ", printed";
            QTest::addRow("80 lines on two pages%s", how)
                << NumberedLines(80) << 2 << 10.0 << 16.0 << saved;
            QTest::addRow("a line for 9 points%s", how) << words(22) << 1 << 6.5 << 11.0 << saved;
            QTest::addRow("a line too wide at 8 points%s", how)
                << words(60) << 1 << 6.5 << 9.5 << saved;
        }
    }
    void everyLineReachesPaper() {
        QFETCH(QStringList, lines);
        QFETCH(int, pages);
        QFETCH(qreal, lowestPoints);
        QFETCH(qreal, highestPoints);
        QFETCH(bool, savedAsPdf);
        REQUIRE_PDFTOTEXT();
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        QPrinter printer(QPrinter::HighResolution);
        MakePdfPrinter(printer, path);
        QVERIFY(savedAsPdf ? SaveReportPdf(path, lines) : PrintReport(printer, lines));

        const auto pdf = ReadPdf(path);
        QVERIFY(pdf);
        QCOMPARE(pdf->pages.size(), pages);
        const QRectF printable = printer.pageRect(QPrinter::Point);
        const QStringList expected = lines.join(QLatin1Char(' ')).split(QLatin1Char(' '));
        for (const QString& text : expected) {
            const PdfWord* word = pdf->Find(text);
            QVERIFY2(word, qPrintable(text));
            QVERIFY2(printable.contains(word->box), qPrintable(text));
            QVERIFY2(
                word->box.height() >= lowestPoints && word->box.height() <= highestPoints,
                qPrintable(QStringLiteral("%1 %2 points high").arg(text).arg(word->box.height())));
        }
        // Each page starts at the top: its first line where the first page's is.
        const PdfWord* first = pdf->Find(expected.first());
        const PdfWord* last = pdf->Find(expected.last());
        QCOMPARE(last->page, pages - 1);
        for (int i = 1; i < expected.size(); ++i)  // in order, page after page
            QVERIFY(pdf->Find(expected[i])->page >= pdf->Find(expected[i - 1])->page);
        const auto secondPage = std::find_if(pdf->words.begin(), pdf->words.end(),
                                             [](const PdfWord& w) { return w.page == 1; });
        if (secondPage != pdf->words.end())
            QVERIFY(std::abs(secondPage->box.top() - first->box.top()) < 0.01);
    }

    // A saved PDF read back as text keeps every line of the report, in order, page
    // after page.
    void savedPdfReadsBackLineByLine() {
        REQUIRE_PDFTOTEXT();
        QTemporaryDir dir;
        const QString path = dir.filePath("А123АА_отчет.pdf");
        QStringList lines;
        for (int i = 1; i <= 70; ++i)
            lines << QStringLiteral("%1   Дымность N = %2,5 %   K = 0,%3 м-1")
                         .arg(i, 2, 10, QLatin1Char('0'))
                         .arg(i)
                         .arg(i * 7, 3, 10, QLatin1Char('0'));
        lines[3] = QStringLiteral("ГОСНОМЕР А123АА   VIN XTA21099012345678   ") +
                   QStringLiteral("Владелец Иванов Иван Иванович, ул. Длинная, д. 1 ").repeated(2);
        QVERIFY(SaveReportPdf(path, lines));
        QProcess process;
        process.start(PdfToText(), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(text.count(QLatin1Char('\f')), 2);  // one form feed after each page
        const auto squeezed = [](const QString& t) { return t.simplified(); };
        const QString all = squeezed(text);
        qsizetype from = 0;
        for (const QString& line : lines) {
            const qsizetype at = all.indexOf(squeezed(line), from);
            QVERIFY2(at >= 0, qPrintable(line));
            from = at + 1;
        }
        QVERIFY(text.left(text.indexOf(QLatin1Char('\f')))
                    .contains(QStringLiteral("Дымность N = 1,5 %")));

        // No folder to write into: nothing is written, and the save says so.
        const QString nowhere = dir.filePath(QStringLiteral("нет/отчет.pdf"));
        QVERIFY(!SaveReportPdf(nowhere, lines));
        QVERIFY(!QFile::exists(nowhere));
    }

    void printingFailsWithoutAUsableOutput() {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing/report.pdf");
        QPrinter printer(QPrinter::HighResolution);
        MakePdfPrinter(printer, path);
        QVERIFY(!PrintReport(printer, NumberedLines(3)));
        QVERIFY(!QFile::exists(path));
    }

    void printDialogDecidesWhetherTheReportIsPrinted() {
        QTemporaryDir dir;
        PrintToFile ui;
        ui.outputPath = dir.filePath("chosen.pdf");
        ui.script.printerChoices = {false};
        QCOMPARE(PrintReportWithDialog(ui, NumberedLines(3)), PrintOutcome::Cancelled);
        QCOMPARE(ui.script.printDialogs, 1);
        QVERIFY(!QFile::exists(ui.outputPath));

        ui.script.printerChoices = {true};
        QCOMPARE(PrintReportWithDialog(ui, NumberedLines(3)), PrintOutcome::Printed);
        QCOMPARE(ui.script.printDialogs, 2);
        QVERIFY(QFile::exists(ui.outputPath));
        if (!PdfToText().isEmpty()) {
            const auto pdf = ReadPdf(ui.outputPath);
            QVERIFY(pdf);
            QVERIFY(pdf->Find(QStringLiteral("Строка03")));
        }

        // The program's own printer keeps the dialog's choice between prints.
        QPrinter printer(QPrinter::HighResolution);
        ui.outputPath = dir.filePath("missing/report.pdf");
        ui.script.printerChoices = {true};
        QCOMPARE(PrintReportWithDialog(ui, printer, NumberedLines(3)), PrintOutcome::Failed);
    }

    void chartPrintsOnOneLandscapePageAndThePrinterStaysPortrait() {
        REQUIRE_PDFTOTEXT();
        QTemporaryDir dir;
        const QString path = dir.filePath("chart.pdf");
        QPrinter printer(QPrinter::HighResolution);
        MakePdfPrinter(printer, path, QPageLayout::Portrait);
        PrintToFile ui;
        ui.script.printerChoices = {true};
        FakeChart chart;
        chart.printer = &printer;
        bool whiteDuringDialog = false;
        ui.script.whileOpen = [&] { whiteDuringDialog = chart.white; };

        QCOMPARE(PrintChart(ui, printer, chart.Paint(), chart.Background()), PrintOutcome::Printed);
        QVERIFY(whiteDuringDialog);
        QCOMPARE(chart.paints, 1);
        QVERIFY(chart.whiteWhilePainting);
        QCOMPARE(chart.orientationWhilePainting, QPageLayout::Landscape);
        QVERIFY(chart.area.width() > chart.area.height());
        QCOMPARE(chart.backgrounds, (QList<bool>{true, false}));
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);

        const auto pdf = ReadPdf(path);
        QVERIFY(pdf);
        QCOMPARE(pdf->pages.size(), 1);
        const QSizeF page = pdf->pages.first();
        QVERIFY2(page.width() > page.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        // The chart fills the landscape page: its centred title is near the middle.
        const PdfWord* title = pdf->Find(QStringLiteral("ГРАФИК"));
        QVERIFY(title);
        QVERIFY(std::abs(title->box.center().x() - page.width() / 2) < page.width() / 10);
        QVERIFY(std::abs(title->box.center().y() - page.height() / 2) < page.height() / 10);
    }

    void chartBackgroundAndOrientationComeBackWhateverTheOutcome_data() {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("outputMissing");
        QTest::addColumn<bool>("paintThrows");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("outcome");  // -1: the paint threw
        QTest::newRow("printed, portrait printer")
            << true << false << false << int(QPageLayout::Portrait) << int(PrintOutcome::Printed);
        QTest::newRow("printed, landscape printer")
            << true << false << false << int(QPageLayout::Landscape) << int(PrintOutcome::Printed);
        QTest::newRow("cancelled") << false << false << false << int(QPageLayout::Portrait)
                                   << int(PrintOutcome::Cancelled);
        QTest::newRow("printer fails")
            << true << true << false << int(QPageLayout::Portrait) << int(PrintOutcome::Failed);
        QTest::newRow("chart throws while painting")
            << true << false << true << int(QPageLayout::Portrait) << -1;
    }
    void chartBackgroundAndOrientationComeBackWhateverTheOutcome() {
        QFETCH(bool, confirm);
        QFETCH(bool, outputMissing);
        QFETCH(bool, paintThrows);
        QFETCH(int, orientation);
        QFETCH(int, outcome);
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        const auto initial = static_cast<QPageLayout::Orientation>(orientation);
        MakePdfPrinter(printer, dir.filePath(outputMissing ? "missing/chart.pdf" : "chart.pdf"),
                       initial);
        PrintToFile ui;
        ui.script.printerChoices = {confirm};
        FakeChart chart;
        chart.throwWhilePainting = paintThrows;

        int result = -1;
        try {
            result = int(PrintChart(ui, printer, chart.Paint(), chart.Background()));
        } catch (const std::runtime_error&) {
            result = -1;
        }
        QCOMPARE(result, outcome);
        QCOMPARE(ui.script.printDialogs, 1);
        QCOMPARE(chart.backgrounds, (QList<bool>{true, false}));
        QCOMPARE(printer.pageLayout().orientation(), initial);
        QCOMPARE(chart.paints, confirm && !outputMissing ? 1 : 0);
    }
};

QTEST_MAIN(ReportPrintingTest)
#include "test_report_printing.moc"
