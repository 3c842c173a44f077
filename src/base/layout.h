#pragma once
// LayoutMainWindow: where every element of the main window goes, as plain
// arithmetic on the client size. p % of X is X·p div 100 and p ‰ of X is
// X·p div 1000, fractions dropped; fonts are in points. Positions are relative to
// the client area for the regions, to the region that holds it for the rest.
// No size and no font comes out below 1, however small the window.
#include <QRect>

#include <array>
#include <functional>

namespace kelvaron {

struct LayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    bool showNorms = true;
    // The height of a single-line box whose font has the given size in points.
    std::function<int(int points)> boxHeight;
};

// A box that sits beside a caption in the same row.
struct ValueRow {
    QRect value;    // value box, in its row
    QRect caption;  // caption box, in its row
};

struct MainWindowLayout {
    // Regions, in the client area.
    QRect panel1;      // bottom bar
    QRect panel2;      // status bar
    QRect panel4;      // live-values area
    QRect memo1;       // report view
    QRect panel11;     // chart area
    QRect panel3;      // right column
    QRect groupBox12;  // recording group

    // Live-values area: the rows K, N, engine speed, oil (Panel10, 5, 6, 7), each
    // with the same value and caption box.
    std::array<QRect, 4> rows;
    ValueRow rowBoxes;
    int valueFont = 1;
    int captionFont = 1;
    QRect chart4;  // the small bar chart
    int chart4TitleFont = 1;
    int chart4FootFont = 1;
    int chart4LeftAxisFont = 1;
    int chart4RightAxisFont = 1;
    QRect panel8;        // chamber temperature
    QRect panel9;        // ambient temperature
    ValueRow tempBoxes;  // the same in both panels
    int tempValueFont = 1;
    int tempCaptionFont = 1;

    int memo1Font = 1;

    // Chart area.
    QRect chart3;
    QRect panel12;  // norms line
    bool normsVisible = true;
    QRect label4;  // "Нормы:"
    QRect edit6;   // the norm's text
    int chartTitleFont = 1;
    int chartFootFont = 1;
    int chartAxisFont = 1;  // left, right and bottom axes
    int chartLegendFont = 1;

    // Right column.
    QRect label3;  // "ОТЧЕТ"
    int label3Font = 1;
    // Сохранить, Открыть, Стереть, Печать, Оформить, Нормы, Опции.
    std::array<QRect, 7> columnButtons;
    int buttonFont = 1;
    QRect listBox1;
    int listFont = 1;
    int listItemHeight = 1;

    // Bottom bar.
    QRect bitBtn1;  // "Связь"
    QRect label1;
    QRect gauge1;
    QRect bitBtn3;  // "Выход"

    // Status bar.
    QRect label2;
    int label2Font = 1;
    QRect bitBtn4;  // "СВ.УСК."
    QRect bitBtn5;  // "МАХ.ОБ."
    QRect bitBtn2;  // "УСТ. 0"
    int statusButtonFont = 1;
};

MainWindowLayout LayoutMainWindow(const LayoutInput& in);

}  // namespace kelvaron
