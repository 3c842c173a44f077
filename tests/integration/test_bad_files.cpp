// Bad files beside the program, named and tried on a real main window: report
// templates and norms lists that are binary, empty, one line of almost 1 MB (the
// size limit), 5 MB, cut by LF or by CR alone, or carry the byte 0x98 that
// Windows-1251 leaves undefined; a settings record with every field at its
// extremes; a station record whose length byte is 200; a FIFO or a device in the
// place of each file; temporary files left by saves cut short.
//
// For each: what the window shows, that its event loop still turns (a timer
// armed afterwards fires), and what is left of the file. Only an empty norms
// file may be rewritten (with the built-in norms), and the settings file at
// close (a whole 320-byte record); every other bad file stays byte for byte.
//
// The time the heavy steps take is printed ("bad-files: ...") for the
// reliability notes, never asserted.
#include "app/right_column.h"
#include "base/safe_file.h"
#include "base/text_codec.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/view/recording_group.h"
#include "report/norms_list.h"
#include "report/report_template.h"
#include "report/view/norms_dialog.h"
#include "report/view/report_view.h"
#include "results/view/chart_area.h"
#include "testing/file_bytes.h"
#include "testing/window_station.h"

#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QValueAxis>

#include <climits>
#include <random>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

const QString kVehicle = QStringLiteral("А123АА");

// Bytes of every value 0x00..0xFF in a fixed random order, NULs among them, with
// no "#" so that nothing in them is a code.
QByteArray RandomBytes(int size) {
    std::mt19937 random(1251);
    QByteArray bytes(size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xFF);
        if (b == '#') b = '\0';
    }
    return bytes;
}

QByteArray CrLf(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += EncodeCp1251(line) + "\r\n";
    return bytes;
}

// The lines of `bytes` as the operator's editor shows them: cut at CR LF, LF or
// a lone CR, a line end at the very end opening no further line.
QStringList EditorLines(QByteArray bytes) {
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    if (bytes.isEmpty()) return {};
    if (bytes.endsWith('\n')) bytes.chop(1);
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n')) lines << DecodeCp1251(line);
    return lines;
}

QString Head(const QString& text) {
    return text.size() <= 60 ? text : text.left(60) + QStringLiteral("... (%1)").arg(text.size());
}

// The event loop turns: a timer armed now fires (within 5 s, or the check fails).
// Returns how long it took, in ms.
qint64 LoopTurns() {
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    bool fired = false;
    QTimer::singleShot(1, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    [&] { QVERIFY2(fired, "the event loop stood still"); }();
    return waited.elapsed();
}

// A window started on the files already in the station's folder, shown, with its
// first showing done (the norms loaded, the settings applied, the report composed).
TForm1& StartShown(WindowStation& s, qint64* showMs = nullptr) {
    QElapsedTimer shown;
    shown.start();
    TForm1& form = s.Start();
    form.Header().vehicleNumber = kVehicle;
    s.Show();
    [&form] { QTRY_VERIFY(form.NormsDialog().normsList->count() > 0); }();
    if (showMs) *showMs = shown.elapsed();
    return form;
}

// "Нормы" pressed: what the dialog lists and puts into "Набор:", then "Отмена".
struct NormsSeen {
    QStringList entries;
    int selected = -1;
    QString typed;
    QString copied;  // "Набор:" after a click on the selected entry
};
NormsSeen OpenNormsDialog(TForm1& form, qint64* ms = nullptr) {
    NormsSeen seen;
    WhenModal([&seen](QWidget* dialog) {
        auto* norms = static_cast<TForm3*>(dialog);
        for (int i = 0; i < norms->normsList->count(); ++i)
            seen.entries << norms->normsList->item(i)->text();
        seen.selected = norms->normsList->currentRow();
        seen.typed = norms->normField->text();
        norms->normField->clear();
        QListWidget* list = norms->normsList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->currentItem()).center());
        seen.copied = norms->normField->text();
        norms->cancelButton->click();  // "Отмена"
    });
    QElapsedTimer open;
    open.start();
    form.Column().normsButton->click();
    if (ms) *ms = open.elapsed();
    return seen;
}

}  // namespace

class BadFilesTest : public QObject {
    Q_OBJECT

private slots:
    // ---- Report template ----

    void badTemplateIsShownLineForLineAndKeptAsItWas_data() {
        QTest::addColumn<QByteArray>("bytes");
        // The report expected: the lines of a template that means the same.
        QTest::addColumn<QByteArray>("meaning");

        const QByteArray random = RandomBytes(4096);
        QTest::newRow("binary, NULs") << random << random;
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QByteArray huge = "#3 ";
        const QByteArray piece = EncodeCp1251(QStringLiteral("Строка отчета без конца; "));
        while (huge.size() + piece.size() + 2 <= kMaxTextFileBytes) huge += piece;
        huge += "#3";
        QTest::newRow("one line of almost 1 MB") << huge << huge;
        const QByteArray built = CrLf(DefaultTemplate(true));
        QTest::newRow("LF only") << QByteArray(built).replace("\r\n", "\n") << built;
        QTest::newRow("CR only") << QByteArray(built).replace("\r\n", "\r") << built;
        QTest::newRow("0x98 undefined")
            << QByteArray("\x98#3\x98\r\n\x98\x98\r\n") << QByteArray("\x98#3\x98\r\n\x98\x98\r\n");
    }
    void badTemplateIsShownLineForLineAndKeptAsItWas() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, meaning);

        // What the same meaning gives, from a template without the fault.
        QStringList expected;
        {
            WindowStation clean;
            clean.StoreQuiet();
            PutFile(clean.Path("TemplateDef.txt"), CrLf(EditorLines(meaning)));
            TForm1& form = StartShown(clean);
            form.ShowView(View::Report);
            expected = form.Report().Lines();
        }
        QCOMPARE(expected.size(), EditorLines(meaning).size());

        WindowStation s;
        s.StoreQuiet();
        PutFile(s.Path("TemplateDef.txt"), bytes);
        qint64 showMs = 0;
        TForm1& form = StartShown(s, &showMs);
        QElapsedTimer composing;
        composing.start();
        QTest::keyClick(&form, Qt::Key_F4);  // "Отчет"
        const qint64 composeMs = composing.elapsed();
        QVERIFY(form.Report().isVisible());
        const QStringList shown = form.Report().Lines();
        QCOMPARE(shown.size(), expected.size());
        for (qsizetype i = 0; i < shown.size(); ++i)
            QVERIFY2(shown[i] == expected[i],
                     qPrintable(QStringLiteral("line %1: %2, not %3")
                                    .arg(i + 1)
                                    .arg(Head(shown[i]), Head(expected[i]))));
        if (!expected.isEmpty())
            QVERIFY(shown.join(QString()).contains(kVehicle) == meaning.contains("#3"));

        // A template without codes is its own report, every character kept.
        if (!bytes.contains('#')) {
            const QStringList own = EditorLines(bytes);
            QString differs;
            for (qsizetype i = 0; i < own.size() && differs.isEmpty(); ++i) {
                const QString line = shown.value(i);
                for (qsizetype k = 0; k < own[i].size() && differs.isEmpty(); ++k) {
                    const char16_t was = own[i][k].unicode();
                    const char16_t is = k < line.size() ? line[k].unicode() : 0xFFFF;
                    if (is != was)
                        differs = QStringLiteral("line %1 column %2: U+%3 shown as U+%4")
                                      .arg(i + 1)
                                      .arg(k + 1)
                                      .arg(was, 4, 16, QLatin1Char('0'))
                                      .arg(is, 4, 16, QLatin1Char('0'));
                }
            }
            // Every character comes back as it was, a no-break space (0xA0) too.
            QVERIFY2(differs.isEmpty(), qPrintable(differs));
        }

        const qint64 turnMs = LoopTurns();
        QVERIFY(QFile::exists(s.Path("TemplateDef.txt")));
        QCOMPARE(FileBytes(s.Path("TemplateDef.txt")), bytes);
        // Composed again with another value, as when a result arrives.
        form.Header().vehicleNumber = QStringLiteral("В456ВВ");
        QElapsedTimer again;
        again.start();
        form.ShowView(View::Report);
        const qint64 againMs = again.elapsed();
        const qint64 againTurnMs = LoopTurns();
        QCOMPARE(form.Report().Lines().size(), shown.size());

        QElapsedTimer plain;
        plain.start();
        ReportValues values;
        values.header.vehicleNumber = kVehicle;
        QCOMPARE(ComposeReportLines(form.ProgramFolder(), values).lines.size(), shown.size());
        const qint64 plainMs = plain.elapsed();
        qInfo(
            "bad-files: template %s: shown in %lld ms; F4 composed in %lld ms (the lines alone "
            "%lld ms), loop turned in %lld ms; recomposed with a changed value in %lld ms, loop "
            "turned in %lld ms",
            QTest::currentDataTag(), showMs, composeMs, plainMs, turnMs, againMs, againTurnMs);
    }

    // ---- Norms list ----

    void badNormsListIsOfferedEntryForEntryAndKeptAsItWas_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");

        const QByteArray random = RandomBytes(4096);
        QTest::newRow("binary, NULs") << random << EditorLines(random);
        QTest::newRow("empty") << QByteArray() << DefaultNorms();
        QByteArray huge = EncodeCp1251(QStringLiteral("    норма "));
        while (huge.size() + 8 <= kMaxTextFileBytes) huge += "2,5 м-1 ";
        QTest::newRow("one line of almost 1 MB") << huge << QStringList{DecodeCp1251(huge)};
        // Beyond the size limit a norms list cannot be read: the built-in norms
        // stand in, and the file stays.
        QTest::newRow("5 MB") << huge.repeated(5) << DefaultNorms();
        const QStringList three = {QStringLiteral("  норма 1"), QString(),
                                   QStringLiteral("норма 3")};
        QTest::newRow("LF only") << QByteArray(CrLf(three)).replace("\r\n", "\n") << three;
        QTest::newRow("CR only") << QByteArray(CrLf(three)).replace("\r\n", "\r") << three;
        QTest::newRow("0x98 undefined")
            << QByteArray("\x98 2,5\r\n3,0 \x98")
            << QStringList{QStringLiteral("\u0098 2,5"), QStringLiteral("3,0 \u0098")};
    }
    void badNormsListIsOfferedEntryForEntryAndKeptAsItWas() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);

        WindowStation s;
        s.StoreQuiet();
        PutFile(s.Path("norma.txt"), bytes);
        qint64 showMs = 0;
        TForm1& form = StartShown(s, &showMs);
        // The first entry in the norms line under the chart, as far as a line
        // field holds (32767 characters).
        const QString first = entries.first().left(form.Charts().normsField->maxLength());
        QCOMPARE(form.Charts().NormText(), first);
        QCOMPARE(form.Settings().normIndex(), 0);

        qint64 dialogMs = 0;
        const NormsSeen seen = OpenNormsDialog(form, &dialogMs);
        // Each entry listed; one of more than 1000 characters shows its first 1000
        // and "…", yet a click on it copies it whole (as far as the field holds).
        QCOMPARE(seen.entries.size(), entries.size());
        for (QString& entry : entries)
            if (entry.size() > 1000) entry = entry.left(1000) + QChar(0x2026);
        for (qsizetype i = 0; i < entries.size(); ++i)
            QVERIFY2(seen.entries[i] == entries[i],
                     qPrintable(QStringLiteral("entry %1: %2").arg(i).arg(Head(seen.entries[i]))));
        QCOMPARE(seen.selected, 0);
        QCOMPARE(seen.typed, first);
        QCOMPARE(seen.copied, first);

        // The chosen norm in the report, after the built-in template's norms line.
        QElapsedTimer composing;
        composing.start();
        form.ShowView(View::Report);
        const qint64 composeMs = composing.elapsed();
        QCOMPARE(form.Report().Lines().value(26), QStringLiteral("  Нормы:   ") + first);

        const qint64 turnMs = LoopTurns();
        QCOMPARE(FileBytes(s.Path("norma.txt")), bytes.isEmpty() ? CrLf(DefaultNorms()) : bytes);
        qInfo(
            "bad-files: norms %s: shown in %lld ms, dialog opened and closed in %lld ms, report "
            "in %lld ms, loop turned in %lld ms",
            QTest::currentDataTag(), showMs, dialogMs, composeMs, turnMs);
    }

    // ---- Settings record ----

    void extremeSettingsFieldStartsClosesAndLeavesAWholeRecord_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::newRow("window width -7") << 144 << -7;
        QTest::newRow("window height -5") << 140 << -5;
        QTest::newRow("window left 100000") << 136 << 100000;
        QTest::newRow("window top 100000") << 132 << 100000;
        QTest::newRow("window left -100000") << 136 << -100000;
        QTest::newRow("window top -100000") << 132 << -100000;
        QTest::newRow("lineWidth 0") << 32 << 0;
        QTest::newRow("lineWidth 99") << 32 << 99;
        QTest::newRow("normIndex -1") << 40 << -1;
        QTest::newRow("normIndex 1000000") << 40 << 1000000;
        QTest::newRow("K colours, high byte set") << 64 << int(0xFF0000FF);
        QTest::newRow("K background, high byte set") << 68 << int(0x8000FF00);
        QTest::newRow("chart background, high byte set") << 36 << int(0xFFFFFFFF);
        QTest::newRow("chartQuantity 7") << 20 << 7;
        QTest::newRow("recordInterval -5") << 152 << -5;
        QTest::newRow("recordInterval INT_MAX") << 152 << INT_MAX;
        QTest::newRow("showNorms 2") << 12 << 2;
        QTest::newRow("reserved fields all ones") << 0 << -1;
    }
    void extremeSettingsFieldStartsClosesAndLeavesAWholeRecord() {
        QFETCH(int, offset);
        QFETCH(int, value);

        WindowStation s;
        QByteArray record = AppSettings::Defaults().ToBytes();
        const auto put = [&record](int at, int32_t v) {
            for (int k = 0; k < 4; ++k)
                record[at + k] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF);
        };
        put(4, 0);  // no search at start
        if (offset == 0) {
            for (int at : {0, 8, 24, 52, 56, 60, 104, 108, 112, 116, 120, 124}) put(at, value);
            for (int at = 160; at < 320; at += 4) put(at, value);
        } else {
            put(offset, value);
        }
        PutFile(s.Path("Kelvaron.dat"), record);
        const AppSettings stored = AppSettings::FromBytes(record);

        TForm1& form = StartShown(s);
        const QSize minimum = form.minimumSize();
        QVERIFY2(form.width() >= minimum.width() && form.height() >= minimum.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(form.width()).arg(form.height())));
        QVERIFY(form.Layout().memo1.isValid() && form.Layout().panel11.isValid());

        // What the field shows.
        MeasurementChartView& chart = form.MeasurementChart3();
        switch (offset) {
            case 32:
                for (int n = 1; n <= MeasurementChartView::kCurves; ++n)
                    QCOMPARE(chart.Curve(n)->pen().width(), value);
                break;
            case 40:
                QCOMPARE(form.Settings().normIndex(), 0);
                QCOMPARE(form.Charts().NormText(), DefaultNorms().first());
                break;
            case 64:
                QCOMPARE(form.Live().kValueBox->palette().color(QPalette::Text),
                         QColor(0xFF, 0, 0));
                break;
            case 68:
                QCOMPARE(form.Live().kValueBox->palette().color(QPalette::Base),
                         QColor(0, 0xFF, 0));
                break;
            case 36:
                QCOMPARE(chart.Chart()->backgroundBrush().color(), QColor(0xFF, 0xFF, 0xFF));
                break;
            case 20:
                QCOMPARE(chart.LeftAxis()->max(), 100.0);
                QCOMPARE(chart.FootText(), QStringLiteral("    Дымность   ,   %    "));
                break;
            case 152:
                QCOMPARE(form.Recording().intervalCombo->currentText(),
                         QString::number(value < 1 ? 1000 : value));
                QCOMPARE(form.RecordTimer().interval(), value < 1 ? 1000 : value);
                break;
            case 12:
                QVERIFY(!form.Charts().normsPanel->isVisible());
                break;
        }
        LoopTurns();

        // Closed: a whole record, each field as stored but those the program mends
        // (the norm index, the interval) and those it takes at close: the window's
        // place and size (the chart dialogs' types stay: none was chosen).
        const QRect frame = form.frameGeometry();
        qInfo("bad-files: settings %s: window at %d,%d, %d x %d", QTest::currentDataTag(),
              frame.left(), frame.top(), frame.width(), frame.height());
        QVERIFY(form.close());
        const QByteArray saved = FileBytes(s.Path("Kelvaron.dat"));
        QCOMPARE(saved.size(), 320);
        const AppSettings back = AppSettings::FromBytes(saved);
        QCOMPARE(
            QRect(back.windowLeft(), back.windowTop(), back.windowWidth(), back.windowHeight()),
            frame);
        QCOMPARE(back.maximized(), 0);
        // A window stored off the desktop comes back where the operator can reach it.
        QVERIFY2(frame.intersects(QRect(0, 0, 1920, 1080)),
                 qPrintable(QStringLiteral("%1,%2").arg(frame.left()).arg(frame.top())));
        AppSettings expected = stored;
        if (stored.normIndex() < 0 || stored.normIndex() > 1) expected.setNormIndex(0);
        MendRecordInterval(expected);
        expected.setMaximized(back.maximized());
        expected.setWindowLeft(back.windowLeft());
        expected.setWindowTop(back.windowTop());
        expected.setWindowWidth(back.windowWidth());
        expected.setWindowHeight(back.windowHeight());
        QCOMPARE(back.ToBytes().toHex(' '), expected.ToBytes().toHex(' '));
    }

    // ---- Files that are no files; temporary files of saves cut short ----

    void fileThatIsNoFileIsUnreadableAndStays_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");  // "fifo", or the device it links to
        for (const char* name : {"Kelvaron.dat", "Kelvaron.sto", "TemplateDef.txt", "norma.txt"})
            QTest::addRow("%s: a FIFO", name) << name << "fifo";
        for (const char* device : {"/dev/zero", "/dev/urandom"})
            for (const char* name : {"TemplateDef.txt", "norma.txt"})
                QTest::addRow("%s: %s", name, device) << name << device;
    }
    void fileThatIsNoFileIsUnreadableAndStays() {
#if !defined(Q_OS_UNIX)
        QSKIP("FIFOs and device files as Unix has them");
#else
        QFETCH(QString, name);
        QFETCH(QString, kind);
        WindowStation s;
        if (name != "Kelvaron.dat") s.StoreQuiet();
        const QByteArray path = QFile::encodeName(s.Path(name));
        QVERIFY(kind == "fifo" ? ::mkfifo(path.constData(), 0644) == 0
                               : QFile::link(kind, s.Path(name)));
        TForm1& form = StartShown(s);
        QTest::keyClick(&form, Qt::Key_F4);  // the report composed
        LoopTurns();
        if (name == "Kelvaron.dat") QCOMPARE(form.Settings(), AppSettings::Defaults());
        QCOMPARE(form.Station().line1, StationInfo::Defaults().line1);
        QCOMPARE(form.NormsDialog().Norms(), DefaultNorms());
        QVERIFY(form.close());
        // Only the settings are written at close, and over a FIFO they cannot be.
        QCOMPARE(s.messages.notices.contains(QStringLiteral("Диск защищен от записи.")),
                 name == "Kelvaron.dat");
        struct stat left {};
        QVERIFY(::lstat(path.constData(), &left) == 0);
        QVERIFY(kind == "fifo" ? S_ISFIFO(left.st_mode) : S_ISLNK(left.st_mode));
#endif
    }

    void temporaryFilesOfSavesCutShortGoAtStart() {
        WindowStation s;
        s.StoreQuiet();
        QVERIFY(QDir(s.dir.path()).mkdir("Text") && QDir(s.dir.path()).mkdir("Graph"));
        const QStringList ours = {"Kelvaron.dat.tmp", "norma.txt.tmp", "Text/А123АА_12-08.txt.tmp",
                                  "Graph/А123АА_12-08.emf.tmp"};
        const QStringList others = {"notes.tmp", "Text/notes.tmp", "Graph/А123АА_12-08.emf"};
        for (const QString& name : ours + others) PutFile(s.Path(name), "x");
        s.Start();
        for (const QString& name : ours) QVERIFY2(!QFile::exists(s.Path(name)), qPrintable(name));
        for (const QString& name : others) QVERIFY2(QFile::exists(s.Path(name)), qPrintable(name));
    }

    // ---- Station record ----

    void stationLengthByte200ReadsAs64CharactersAndTheFileStays() {
        WindowStation s;
        s.StoreQuiet();
        const QString line =
            QStringLiteral("Станция техосмотра №1, ул. Заводская, 5; тел. 00-00-00, факс 0-0");
        QCOMPARE(line.size(), 64);
        QByteArray station = char(200) + EncodeCp1251(line) + char(10) +
                             EncodeCp1251(QStringLiteral("вторая стр")).leftJustified(64, '\0');
        QCOMPARE(station.size(), 130);
        PutFile(s.Path("Kelvaron.sto"), station);

        TForm1& form = StartShown(s);
        QCOMPARE(form.Station().line1, line);
        QCOMPARE(form.Station().line2, QStringLiteral("вторая стр"));
        QVERIFY(form.MeasurementChart3().Chart()->title().contains(line));
        QTest::keyClick(&form, Qt::Key_F4);
        QCOMPARE(form.Report().Lines().value(1), QStringLiteral("  ") + line);
        LoopTurns();
        QVERIFY(form.close());
        QCOMPARE(FileBytes(s.Path("Kelvaron.sto")), station);  // not written: not changed
    }
};

QTEST_MAIN(BadFilesTest)
#include "test_bad_files.moc"
