// The live panel's conversion and formats.
#include "device/live_display.h"

#include <QTest>

#include <cmath>

using namespace kelvaron;

namespace {

LiveTexts Live(int opacityX10, bool plotN = false) {
    DeviceReadings r;
    r.opacityX10 = opacityX10;
    r.engineSpeed = 812;
    return FormatLiveReadings(r, plotN, QLatin1Char(','));
}

}  // namespace

class LiveDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void opacityToK() {
        QCOMPARE(FormatFixed(OpacityToK(45.3), 2, ','), QStringLiteral("1,40"));
        QVERIFY(std::abs(OpacityToK(17.8) - 0.45584) < 1e-4);
        QCOMPARE(OpacityToK(0), 0.0);
        // No light passes at 100 % and above: K is over range, never 0.
        QVERIFY(std::isinf(OpacityToK(100)) && OpacityToK(100) > 0);
        QVERIFY(std::isinf(OpacityToK(120)) && OpacityToK(120) > 0);
    }

    void fixedFormatsRoundToFourSignificantDigits_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("45.27") << 45.27 << 1 << "45,3";
        QTest::newRow("1.2345") << 1.2345 << 2 << "1,23";
        QTest::newRow("zero one") << 0.0 << 1 << "0,0";
        QTest::newRow("zero two") << 0.0 << 2 << "0,00";
        QTest::newRow("123.45") << 123.45 << 1 << "123,5";
        QTest::newRow("negative") << -2.5 << 1 << "-2,5";
        QTest::newRow("tiny negative") << -0.001 << 1 << "0,0";
        QTest::newRow("over range") << OpacityToK(100) << 3 << ">>";
    }
    void fixedFormatsRoundToFourSignificantDigits() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(FormatFixed(value, decimals, ','), text);
    }

    void liveTextsInK() {
        LiveTexts t = Live(453);
        QCOMPARE(t.n, QStringLiteral("45,3"));
        QCOMPARE(t.k, QStringLiteral("1,40"));
        QCOMPARE(t.barFoot, QStringLiteral("1,40"));
        QCOMPARE(t.rpm, QStringLiteral("812"));
        QCOMPARE(t.chamber, QStringLiteral("0,0"));

        t = Live(0);
        QCOMPARE(t.n, QStringLiteral("0,0"));
        QCOMPARE(t.k, QStringLiteral("0,00"));
        QCOMPARE(t.barValue, 0.0);

        t = Live(990);
        QCOMPARE(t.k, QStringLiteral("   >>   "));
        QCOMPARE(t.barFoot, QStringLiteral(" >> "));
        QCOMPARE(t.barValue, 9.9);
        QCOMPARE(t.barLabel, QStringLiteral("9,90"));

        t = Live(1000);
        QCOMPARE(t.k, QStringLiteral("   >>   "));
        QCOMPARE(t.barFoot, QStringLiteral(" >> "));
        QCOMPARE(t.barValue, 9.9);
        QCOMPARE(t.n, QStringLiteral("100,0"));
        QCOMPARE(Live(999).k, QStringLiteral("   >>   "));  // 99,9 %: K 16,06, as always
    }

    void liveTextsInN() {
        const LiveTexts t = Live(990, true);
        QCOMPARE(t.barValue, 99.0);
        QCOMPARE(t.barFoot, QStringLiteral("99,0"));
        QCOMPARE(t.k, QStringLiteral("   >>   "));
    }

    void oilTemperatureIs12BitTwosComplement_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("4071") << 4071 << "-2,5";
        QTest::newRow("4070") << 4070 << "НЕТ";
        QTest::newRow("1251") << 1251 << "НЕТ";
        QTest::newRow("1250") << 1250 << "125,0";
        QTest::newRow("0") << 0 << "0,0";
    }
    void oilTemperatureIs12BitTwosComplement() {
        QFETCH(int, raw);
        QFETCH(QString, text);
        QCOMPARE(FormatOilTemperature(raw, ','), text);
    }
};

QTEST_APPLESS_MAIN(LiveDisplayTest)
#include "test_live_display.moc"
