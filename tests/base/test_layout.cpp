// The proportional layout of the main window, as arithmetic.
#include "base/layout.h"

#include <QTest>

using namespace kelvaron;

namespace {

MainWindowLayout Lay(int w, int h, bool norms = true) {
    LayoutInput in{w, h, norms, [](int points) { return points * 3 / 2 + 8; }};
    return LayoutMainWindow(in);
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void designExample() {
        const MainWindowLayout l = Lay(819, 658);
        QCOMPARE(l.panel1, QRect(1, 612, 817, 46));
        QCOMPARE(l.panel2, QRect(1, 566, 817, 46));
        QCOMPARE(l.panel4.size(), QSize(696, 563));
        QCOMPARE(l.rows[0], QRect(1, 1, 515, 140));
        QCOMPARE(l.rows[1].top(), 141);
        QCOMPARE(l.rows[2].top(), 282);
        QCOMPARE(l.rows[3].top(), 423);
        QCOMPARE(l.valueFont, 73);
        QCOMPARE(l.panel3.left(), 698);
        QCOMPARE(l.panel3.width(), 114);
        // The shared rectangle, and a caption box as high as its value box.
        QCOMPARE(l.memo1, l.panel4);
        QCOMPARE(l.panel11, l.panel4);
        QCOMPARE(l.rowBoxes.value, QRect(6, 3, 257, 73 * 3 / 2 + 8));
        QCOMPARE(l.rowBoxes.caption, QRect(265, 3, 515 - 257 - 12, 73 * 3 / 2 + 8));
        // The right column's first button and the list, and the bars' buttons.
        QCOMPARE(l.columnButtons[0], QRect(11, 56, 91, 33));
        QCOMPARE(l.columnButtons[6].top(), 563 * 66 / 100);
        QCOMPARE(l.listBox1, QRect(11, 439, 91, 129));
        QCOMPARE(l.bitBtn1, QRect(8, 4, 91, 33));
        QCOMPARE(l.bitBtn3.left(), 817 * 87 / 100);
        QCOMPARE(l.bitBtn4, QRect(522, 1, 91, 42));
        QCOMPARE(l.label2Font, 17);
        // The temperature panels under the small bar chart.
        QCOMPARE(l.panel8, QRect(517, 433, 180, 61));
        QCOMPARE(l.panel9.top(), 433 + 61 + 1);
        QCOMPARE(l.groupBox12, QRect(517, 1, 286, 427));
    }

    void clientHeightOf100() {
        const MainWindowLayout l = Lay(819, 100);
        QCOMPARE(l.panel1.height(), 7);
        QCOMPARE(l.panel2.height(), 7);
        QCOMPARE(l.panel4.height(), 83);
    }

    void normsLineHiddenOrShownDecidesTheChartHeight() {
        const MainWindowLayout shown = Lay(819, 658, true);
        QVERIFY(shown.normsVisible);
        QCOMPARE(shown.panel12, QRect(0, 563 - 46, 696, 46));
        QCOMPARE(shown.chart3, QRect(0, 0, 696, 563 - 46 - 2));
        const MainWindowLayout hidden = Lay(819, 658, false);
        QVERIFY(!hidden.normsVisible);
        QCOMPARE(hidden.chart3, QRect(0, 0, 696, 561));
    }

    void tinyClientGivesNoSizeOrFontBelowOne_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("ten") << 10 << 10;
        QTest::newRow("narrow") << 3 << 500;
        QTest::newRow("flat") << 800 << 5;
    }
    void tinyClientGivesNoSizeOrFontBelowOne() {
        QFETCH(int, w);
        QFETCH(int, h);
        const MainWindowLayout l = Lay(w, h);
        for (const QRect& r :
             {l.panel1,     l.panel2,           l.panel4,          l.panel3,
              l.groupBox12, l.rows[0],          l.rowBoxes.value,  l.rowBoxes.caption,
              l.chart4,     l.panel8,           l.tempBoxes.value, l.tempBoxes.caption,
              l.chart3,     l.panel12,          l.label4,          l.edit6,
              l.label3,     l.columnButtons[0], l.listBox1,        l.bitBtn1,
              l.label1,     l.gauge1,           l.label2,          l.bitBtn4}) {
            QVERIFY(r.width() >= 1);
            QVERIFY(r.height() >= 1);
        }
        for (int font :
             {l.valueFont, l.captionFont, l.tempValueFont, l.tempCaptionFont, l.memo1Font,
              l.chartTitleFont, l.chartFootFont, l.chartAxisFont, l.buttonFont, l.listFont,
              l.label2Font, l.statusButtonFont, l.label3Font, l.chart4TitleFont})
            QVERIFY(font >= 1);
    }
};

QTEST_APPLESS_MAIN(LayoutTest)
#include "test_layout.moc"
