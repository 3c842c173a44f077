// Fonts fitted to their room, the locale's dates and times, and text colours
// chosen for contrast.
#include "base/colors.h"
#include "base/locale_formats.h"
#include "base/text_fit.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTest>

using namespace kelvaron;

namespace {

bool Fits(QFont font, const QStringList& lines, QSize room, int points) {
    font.setPointSize(points);
    const QFontMetricsF m(font);
    if (m.lineSpacing() * lines.size() > room.height()) return false;
    for (const QString& line : lines)
        if (m.horizontalAdvance(line) > room.width()) return false;
    return true;
}

}  // namespace

class FitAndContrastTest : public QObject {
    Q_OBJECT

private slots:
    void fittedSizeIsTheLargestThatFitsAndNeverAboveTheProportion_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<int>("maximum");
        const QStringList caption{QStringLiteral("Коэфф.осл."), QStringLiteral("    К ,  м-1")};
        QTest::newRow("caption, narrow") << caption << QSize(120, 200) << 40;
        QTest::newRow("caption, low") << caption << QSize(900, 40) << 40;
        QTest::newRow("caption, roomy") << caption << QSize(2000, 2000) << 12;
        QTest::newRow("foot line")
            << QStringList{QStringLiteral(
                   " Ср.коэфф.ослабл. K = 0,456 м-1 , Ср.дымность N = 17,8 % ")}
            << QSize(300, 1000) << 30;
        QTest::newRow("room too small for anything")
            << QStringList{QStringLiteral("Дымность")} << QSize(3, 3) << 20;
    }
    void fittedSizeIsTheLargestThatFitsAndNeverAboveTheProportion() {
        QFETCH(QStringList, lines);
        QFETCH(QSize, room);
        QFETCH(int, maximum);
        QFont font(QStringLiteral("Arial"));
        font.setBold(true);
        const int points = FitPointSize(font, lines, room, maximum);
        QVERIFY(points >= 1 && points <= maximum);
        if (points > 1) QVERIFY(Fits(font, lines, room, points));
        if (points < maximum) QVERIFY(!Fits(font, lines, room, points + 1));
    }

    void eachAlternativeFitsAlone() {
        QFont font(QStringLiteral("Arial"));
        font.setBold(true);
        const QStringList texts{QStringLiteral("00,00"), QStringLiteral("   >>")};
        const QSize room(200, 60);
        const int points = FitPointSizeForEach(font, texts, room, 200);
        for (const QString& text : texts) QVERIFY(Fits(font, {text}, room, points));
        // Taken as alternatives, not as two lines: the height holds one line only.
        QVERIFY(points > FitPointSize(font, texts, room, 200));
    }

    void contrastRatioFollowsTheGuidelines() {
        QCOMPARE(qRound(ContrastRatio(Qt::black, Qt::white) * 100), 2100);
        QCOMPARE(ContrastRatio(Qt::red, Qt::red), 1.0);
        // The chart's old grey on black stood below even the 3 : 1 of large text.
        QVERIFY(ContrastRatio(QColor(0x40, 0x40, 0x44), Qt::black) < 3.0);
    }

    void textColourReadsOnEveryBackground() {
        // Every grey, and a sweep through the colours.
        for (int v = 0; v < 256; v += 5)
            QVERIFY2(ContrastRatio(ReadableTextColor(QColor(v, v, v)), QColor(v, v, v)) >= 4.5,
                     qPrintable(QString::number(v)));
        for (int r = 0; r < 256; r += 51)
            for (int g = 0; g < 256; g += 51)
                for (int b = 0; b < 256; b += 51) {
                    const QColor back(r, g, b);
                    QVERIFY2(ContrastRatio(ReadableTextColor(back), back) >= 4.5,
                             qPrintable(back.name()));
                }
    }

    void storedColoursIgnoreTheHighByte() {
        QCOMPARE(ColorFromRef(0x00C0DCC0), QColor(0xC0, 0xDC, 0xC0));
        QCOMPARE(ColorFromRef(static_cast<int32_t>(0xFF0000FF)), QColor(255, 0, 0));
        QCOMPARE(ColorToRef(QColor(255, 0, 0)), 0x000000FF);
    }

    void datesAndTimesFollowTheLocaleWithoutATimeZone() {
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        QCOMPARE(ShortDate(QDate(2026, 3, 7), russian), QStringLiteral("07.03.2026"));
        QCOMPARE(LongTime(QTime(9, 5, 7), russian), QStringLiteral("9:05:07"));
        QCOMPARE(LongTime(QTime(14, 5, 7), russian), QStringLiteral("14:05:07"));
        QCOMPARE(DecimalSeparator(russian), QLatin1Char(','));
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QString time = LongTime(QTime(14, 5, 7), english);
        QVERIFY2(time.startsWith(QStringLiteral("2:05:07")) &&
                     !time.contains(QLatin1String("UTC")) && !time.contains(QLatin1String("GMT")),
                 qPrintable(time));
        QCOMPARE(DecimalSeparator(english), QLatin1Char('.'));
    }
};

QTEST_MAIN(FitAndContrastTest)
#include "test_fit_and_contrast.moc"
