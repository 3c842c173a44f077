#include "base/layout.h"

#include <algorithm>

namespace kelvaron {

namespace {

int Pct(int x, int p) { return x * p / 100; }
int Permille(int x, int p) { return x * p / 1000; }
// The floor for every size and font.
int AtLeast1(int v) { return std::max(1, v); }
QRect Box(int left, int top, int width, int height) {
    return QRect(left, top, AtLeast1(width), AtLeast1(height));
}

}  // namespace

MainWindowLayout LayoutMainWindow(const LayoutInput& in) {
    MainWindowLayout l;
    const int cw = in.clientWidth;
    const int ch = in.clientHeight;
    const auto boxHeight = [&](int points) {
        return AtLeast1(in.boxHeight ? in.boxHeight(points) : points);
    };

    // The two bars along the bottom, the status bar above the bottom bar.
    const int barHeight = AtLeast1(Pct(ch, 7));
    l.panel1 = Box(1, ch - barHeight, cw - 2, barHeight);
    l.panel2 = Box(1, ch - 2 * barHeight, cw - 2, barHeight);

    // The live values, the report and the chart share one rectangle.
    const QRect area = Box(1, 1, Pct(cw, 85), ch - 2 * barHeight - 3);
    const int aw = area.width();
    const int ah = area.height();
    l.panel4 = area;
    l.memo1 = area;
    l.panel11 = area;

    // Four rows of value boxes.
    const int rowWidth = AtLeast1(Pct(aw, 74));
    const int rowHeight = AtLeast1(Pct(ah, 25));
    // Tops 1, h + 1, 2h + 2, 3h + 3.
    for (int i = 0; i < 4; ++i)
        l.rows[static_cast<size_t>(i)] =
            Box(1, i == 0 ? 1 : i * (rowHeight + 1), rowWidth, rowHeight);
    l.valueFont = AtLeast1(Pct(ah, 13));
    l.captionFont = AtLeast1(Permille(ah, 55));
    const int valueLeft = 6;
    const int valueWidth = AtLeast1(Pct(rowWidth, 50));
    const int valueHeight = boxHeight(l.valueFont);
    l.rowBoxes.value = Box(valueLeft, 3, valueWidth, valueHeight);
    l.rowBoxes.caption =
        Box(valueLeft + valueWidth + 2, 3, rowWidth - valueWidth - 2 * valueLeft, valueHeight);

    // The right column beside the shared rectangle.
    l.panel3 = Box(area.left() + aw + 1, area.top(), Pct(cw, 14), ah);

    // The small bar chart, and the two temperature panels under it.
    l.chart4 = Box(Pct(aw, 80), Pct(ah, 3), Pct(aw, 14), Pct(ah, 73));
    l.chart4TitleFont = AtLeast1(Permille(ah, 38));
    l.chart4FootFont = AtLeast1(Permille(ah, 50));
    l.chart4LeftAxisFont = AtLeast1(Permille(ah, 20));
    l.chart4RightAxisFont = AtLeast1(Permille(ah, 20));
    const int tempLeft = rowWidth + 1 + 1;
    const int tempHeight = AtLeast1(Pct(ah, 11));
    l.panel8 = Box(tempLeft, Pct(ah, 77), Pct(aw, 26), tempHeight);
    l.panel9 = Box(tempLeft, l.panel8.top() + tempHeight + 1, Pct(aw, 26), tempHeight);
    const int panelWidth = l.panel8.width();
    l.tempValueFont = AtLeast1(Pct(ah, 5));
    l.tempCaptionFont = AtLeast1(Permille(ah, 33));
    const int tempValueWidth = AtLeast1(Pct(panelWidth, 50));
    const int tempValueHeight = boxHeight(l.tempValueFont);
    l.tempBoxes.value = Box(2, 4, tempValueWidth, tempValueHeight);
    l.tempBoxes.caption = Box(2 + tempValueWidth + 2, 4, Pct(panelWidth, 45), tempValueHeight);

    l.memo1Font = AtLeast1(Permille(ah, 24));

    // The chart over the norms line, which sits on the bottom of the chart area.
    const int normsHeight = AtLeast1(Pct(ch, 7));
    l.normsVisible = in.showNorms;
    const int chartHeight = in.showNorms ? ah - normsHeight - 2 : ah - 2;
    l.chart3 = Box(0, 0, aw, chartHeight);
    l.panel12 = Box(0, ah - normsHeight, aw, normsHeight);
    l.chartTitleFont = AtLeast1(Permille(ah, 25));
    l.chartFootFont = AtLeast1(Permille(ah, 30));
    l.chartAxisFont = AtLeast1(Permille(ah, 20));
    l.chartLegendFont = AtLeast1(Permille(ah, 20));

    // The recording group over the right part of the live values.
    l.groupBox12 = Box(area.left() + rowWidth + 1, 1, Pct(cw, 35), Pct(ch, 65));

    // The right column's label, buttons and view list.
    const int colWidth = l.panel3.width();
    const int colHeight = l.panel3.height();
    l.label3 = Box(Pct(colWidth, 25), Pct(colHeight, 3), Pct(colWidth, 80), Pct(colHeight, 5));
    l.label3Font = AtLeast1(Permille(colHeight, 30));
    const int buttonLeft = Pct(colWidth, 10);
    const int buttonWidth = AtLeast1(Pct(colWidth, 80));
    const int buttonHeight = AtLeast1(Pct(colHeight, 6));
    l.buttonFont = AtLeast1(Permille(colHeight, 22));
    constexpr std::array<int, 7> kButtonTops = {10, 18, 26, 38, 46, 58, 66};
    for (size_t i = 0; i < kButtonTops.size(); ++i)
        l.columnButtons[i] =
            Box(buttonLeft, Pct(colHeight, kButtonTops[i]), buttonWidth, buttonHeight);
    l.listBox1 = Box(Pct(colWidth, 10), Pct(colHeight, 78), Pct(colWidth, 80), Pct(colHeight, 23));
    l.listFont = AtLeast1(Permille(colHeight, 27));
    l.listItemHeight = AtLeast1(Permille(colHeight, 18));

    // The bottom bar, as parts of its own width and height.
    const int bw = l.panel1.width();
    const int bh = l.panel1.height();
    l.bitBtn1 = Box(Pct(bw, 1), Pct(bh, 10), buttonWidth, buttonHeight);
    l.label1 = Box(Pct(bw, 13), Pct(bh, 20), Pct(bw, 44), Pct(bh, 80));
    l.gauge1 = Box(Pct(bw, 57), Pct(bh, 20), Pct(bw, 29), Pct(bh, 60));
    l.bitBtn3 = Box(Pct(bw, 87), l.bitBtn1.top(), buttonWidth, buttonHeight);

    // The status bar; its buttons take the bottom bar's height for their top.
    const int sw = l.panel2.width();
    const int sh = l.panel2.height();
    l.label2 = Box(Pct(sw, 1), Pct(sh, 15), Pct(sw, 60), Pct(sh, 80));
    l.label2Font = AtLeast1(Pct(sh, 38));
    const int statusTop = Pct(bh, 3);
    const int statusButtonHeight = Pct(sh, 93);
    l.statusButtonFont = AtLeast1(Pct(sh, 36));
    l.bitBtn4 = Box(Pct(sw, 64), statusTop, buttonWidth, statusButtonHeight);
    l.bitBtn5 = Box(Pct(sw, 76), statusTop, buttonWidth, statusButtonHeight);
    l.bitBtn2 = Box(Pct(sw, 88), statusTop, buttonWidth, statusButtonHeight);

    // The norms line.
    const int nw = l.panel12.width();
    const int nh = l.panel12.height();
    l.label4 = Box(Pct(nw, 1), Pct(nh, 20), Pct(nw, 20), Pct(nh, 80));
    l.edit6 = Box(Pct(nw, 12), Pct(nh, 9), Pct(nw, 87), boxHeight(l.buttonFont));
    return l;
}

}  // namespace kelvaron
