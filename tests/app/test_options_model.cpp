// The options dialog's logic on the settings record: what the controls show for
// a stored record, what OK writes back, and the restore of the default record.
#include "app/options_model.h"
#include "base/app_settings.h"

#include <QTest>

#include <climits>
#include <functional>

using namespace kelvaron;

namespace {

// 320 bytes, every one set, none of them zero: reserved fields, geometry and
// colours all differ from the default record.
AppSettings EveryByteSet(int seed) {
    QByteArray bytes(AppSettings::kBytes, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0x80 | ((i * 13 + seed) & 0x7F));
    return AppSettings::FromBytes(bytes);
}

using Getter = std::function<int32_t(const AppSettings&)>;
using Setter = std::function<void(AppSettings&, int32_t)>;

struct Flag {
    const char* name;
    Getter get;
    Setter set;
    bool OptionsValues::*shown;
};

const Flag kFlags[] = {
    {"connectAtStart", &AppSettings::connectAtStart, &AppSettings::setConnectAtStart,
     &OptionsValues::connectAtStart},
    {"showNorms", &AppSettings::showNorms, &AppSettings::setShowNorms, &OptionsValues::showNorms},
    {"normsInReport", &AppSettings::normsInReport, &AppSettings::setNormsInReport,
     &OptionsValues::normsInReport},
    // The legend box is never visible, yet its value goes through like the others.
    {"showLegend", &AppSettings::showLegend, &AppSettings::setShowLegend,
     &OptionsValues::showLegend},
};

// The byte offsets OK may write: the option fields of the dialog.
const QList<int> kOptionOffsets = {4,  12, 16, 20, 28, 32, 36, 64,  68,
                                   72, 76, 80, 84, 88, 92, 96, 100, 148};

}  // namespace

class OptionsModelTest : public QObject {
    Q_OBJECT

private slots:
    void checkBoxTickedOnlyForOneAndStoredAsOneOrZero_data() {
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("afterOk");
        for (int f = 0; f < 4; ++f) {
            for (const int stored : {1, 0, 2, -1, INT_MIN}) {
                const QByteArray row =
                    QByteArray(kFlags[f].name) + " = " + QByteArray::number(stored);
                QTest::newRow(row.constData())
                    << f << stored << (stored == 1) << (stored == 1 ? 1 : 0);
            }
        }
    }
    void checkBoxTickedOnlyForOneAndStoredAsOneOrZero() {
        QFETCH(int, flag);
        QFETCH(int, stored);
        QFETCH(bool, ticked);
        QFETCH(int, afterOk);
        const Flag& f = kFlags[flag];
        AppSettings settings = AppSettings::Defaults();
        f.set(settings, stored);
        OptionsValues values;
        values.Load(settings);
        QCOMPARE(values.*f.shown, ticked);
        values.Store(settings);
        QCOMPARE(f.get(settings), afterOk);
    }

    void okWithoutChangeKeepsEveryFieldOutsideTheOptions() {
        const AppSettings original = EveryByteSet(5);
        AppSettings settings = original;
        OptionsValues values;
        values.Load(settings);
        values.Store(settings);
        const QByteArray before = original.ToBytes();
        const QByteArray after = settings.ToBytes();
        for (int offset = 0; offset < AppSettings::kBytes; offset += 4) {
            if (kOptionOffsets.contains(offset)) continue;
            QVERIFY2(before.mid(offset, 4) == after.mid(offset, 4),
                     qPrintable(QStringLiteral("offset %1 changed").arg(offset)));
        }
        // The colours come back exactly as read, the high byte included.
        QCOMPARE(settings.chartBackColor(), original.chartBackColor());
        QCOMPARE(settings.kFontColor(), original.kFontColor());
        QCOMPARE(settings.captionBackColor(), original.captionBackColor());
    }

    void storedValuesMatchTheirControlsAfterAChange() {
        AppSettings settings = AppSettings::Defaults();
        OptionsValues values;
        values.Load(settings);
        values.connectAtStart = false;
        values.showNorms = false;
        values.normsInReport = false;
        values.showLegend = false;
        values.portSearch = 1;
        values.chartQuantity = 1;
        values.lineWidth = 4;
        values.chartBackColor = 0x00102030;
        // A distinct colour for every text and background, so that a field mixed
        // up with another one shows.
        for (int i = 0; i < kColorRows; ++i) {
            values.rows[static_cast<size_t>(i)] = {0x00010000 * (i + 1) + 0x11,
                                                   0x00000100 * (i + 1) + 0x22};
        }
        values.Store(settings);
        QCOMPARE(settings.connectAtStart(), 0);
        QCOMPARE(settings.showNorms(), 0);
        QCOMPARE(settings.normsInReport(), 0);
        QCOMPARE(settings.showLegend(), 0);
        QCOMPARE(settings.portSearch(), 1);
        QCOMPARE(settings.chartQuantity(), 1);
        QCOMPARE(settings.lineWidth(), 4);
        QCOMPARE(settings.chartBackColor(), 0x00102030);
        const std::pair<int32_t, int32_t> rows[] = {
            {settings.kFontColor(), settings.kBackColor()},
            {settings.nFontColor(), settings.nBackColor()},
            {settings.rpmFontColor(), settings.rpmBackColor()},
            {settings.oilFontColor(), settings.oilBackColor()},
            {settings.captionFontColor(), settings.captionBackColor()},
        };
        for (int i = 0; i < kColorRows; ++i) {
            QCOMPARE(rows[i].first, 0x00010000 * (i + 1) + 0x11);
            QCOMPARE(rows[i].second, 0x00000100 * (i + 1) + 0x22);
        }
        // Loaded again, the record shows what was stored.
        OptionsValues reloaded;
        reloaded.Load(settings);
        QCOMPARE(reloaded, values);
    }

    void lineWidthBroughtIntoOneToFive_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("-7") << -7 << 1;
        QTest::newRow("lowest") << INT_MIN << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("6") << 6 << 5;
        QTest::newRow("99") << 99 << 5;
        QTest::newRow("highest") << INT_MAX << 5;
    }
    void lineWidthBroughtIntoOneToFive() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        AppSettings settings = AppSettings::Defaults();
        settings.setLineWidth(stored);
        OptionsValues values;
        values.Load(settings);
        QCOMPARE(values.lineWidth, shown);
        values.Store(settings);
        QCOMPARE(settings.lineWidth(), shown);
        // Even a width set out of range after loading is stored within 1..5.
        values.lineWidth = stored;
        values.Store(settings);
        QCOMPARE(settings.lineWidth(), shown);
    }

    void lineWidthEntryThatIsNoNumberGivesOne_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("width");
        QTest::newRow("digit") << "4" << 4;
        QTest::newRow("blanks around") << " 2 " << 2;
        QTest::newRow("too wide") << "9" << 5;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-3" << 1;
        QTest::newRow("empty") << "" << 1;
        QTest::newRow("letters") << "ab" << 1;
        QTest::newRow("fraction") << "2,5" << 1;
        QTest::newRow("beyond int") << "99999999999" << 1;
    }
    void lineWidthEntryThatIsNoNumberGivesOne() {
        QFETCH(QString, entry);
        QFETCH(int, width);
        QCOMPARE(LineWidthFromEntry(entry), width);
    }

    // Both choice fields are read by the program as "0 or not": a stored 7 means
    // all ports (or N), so the dialog shows that item and OK keeps the meaning.
    void choiceShowsWhatTheProgramMakesOfTheValue_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("item");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("7") << 7 << 1;
        QTest::newRow("-1") << -1 << 1;
    }
    void choiceShowsWhatTheProgramMakesOfTheValue() {
        QFETCH(int, stored);
        QFETCH(int, item);
        AppSettings settings = AppSettings::Defaults();
        settings.setPortSearch(stored);
        settings.setChartQuantity(stored);
        const bool allPorts = settings.SearchesAllPorts();
        OptionsValues values;
        values.Load(settings);
        QCOMPARE(values.portSearch, item);
        QCOMPARE(values.chartQuantity, item);
        values.Store(settings);
        QCOMPARE(settings.portSearch(), item);
        QCOMPARE(settings.chartQuantity(), item);
        QCOMPARE(settings.SearchesAllPorts(), allPorts);
    }

    void restoreCopiesTheWholeDefaultRecordReservedFieldsIncluded() {
        AppSettings settings = EveryByteSet(11);
        QVERIFY(settings.ToBytes() != AppSettings::Defaults().ToBytes());
        RestoreDefaults(settings);
        const QByteArray bytes = settings.ToBytes();
        QCOMPARE(bytes, AppSettings::Defaults().ToBytes());
        // Spot checks of what the main window and the other owners read.
        QCOMPARE(settings.windowWidth(), 638);
        QCOMPARE(settings.windowHeight(), 478);
        QCOMPARE(settings.maximized(), 0);
        QCOMPARE(settings.recordInterval(), 1);
        QCOMPARE(settings.normIndex(), 0);
        QCOMPARE(bytes.mid(160), QByteArray(160, '\0'));
        QCOMPARE(bytes.mid(104, 24), QByteArray(24, '\0'));
        QCOMPARE(bytes.mid(0, 4), QByteArray(4, '\0'));
    }
};

QTEST_MAIN(OptionsModelTest)
#include "test_options_model.moc"
