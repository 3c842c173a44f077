// TForm1: puts every element where LayoutMainWindow says, on every resize, in
// every view (hidden regions included).
#include "main_window.h"

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QFrame>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace kelvaron {

namespace {

void SetPoints(QWidget* widget, int points) {
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

QFont WithPoints(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

void Place(QWidget* widget, const QRect& rect, int points) {
    widget->setGeometry(rect);
    SetPoints(widget, points);
}

void SetChartFonts(QChart* chart, int title, int axes, int legend) {
    chart->setTitleFont(WithPoints(chart->titleFont(), title));
    for (QAbstractAxis* axis : chart->axes())
        axis->setLabelsFont(WithPoints(axis->labelsFont(), axes));
    chart->legend()->setFont(WithPoints(chart->legend()->font(), legend));
}

// The foot sits at the bottom of the chart's picture, centred.
void PlaceFoot(QGraphicsSimpleTextItem* foot, const QSize& chartSize, int points) {
    foot->setFont(WithPoints(foot->font(), points));
    const QRectF text = foot->boundingRect();
    foot->setPos((chartSize.width() - text.width()) / 2, chartSize.height() - text.height() - 2);
}

}  // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) LayoutMainWindow();
    return QMainWindow::eventFilter(watched, event);
}

int TForm1::BoxHeightFor(int points) const {
    QFont font = boxProbe_->font();
    font.setPointSize(points);
    boxProbe_->setFont(font);
    return boxProbe_->sizeHint().height();
}

void TForm1::LayoutMainWindow() {
    LayoutInput in;
    in.clientWidth = client_->width();
    in.clientHeight = client_->height();
    in.showNorms = settings_.showNorms() == 1;
    in.boxHeight = [this](int points) { return BoxHeightFor(points); };
    const MainWindowLayout l = kelvaron::LayoutMainWindow(in);
    layout_ = l;

    // Regions.
    Panel1->setGeometry(l.panel1);
    Panel2->setGeometry(l.panel2);
    Panel4->setGeometry(l.panel4);
    Memo1->setGeometry(l.memo1);
    Panel11->setGeometry(l.panel11);
    Panel3->setGeometry(l.panel3);
    GroupBox12->setGeometry(l.groupBox12);

    // Live values.
    const std::array<QFrame*, 4> rows = {Panel10, Panel5, Panel6, Panel7};
    const std::array<QLineEdit*, 4> values = {Edit5, Edit8, Edit1, Edit2};
    const std::array<QPlainTextEdit*, 4> captions = {Memo7, Memo3, Memo2, Memo4};
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i]->setGeometry(l.rows[i]);
        Place(values[i], l.rowBoxes.value, l.valueFont);
        Place(captions[i], l.rowBoxes.caption, l.captionFont);
    }
    Chart4->setGeometry(l.chart4);
    SetChartFonts(chart4_, l.chart4TitleFont, l.chart4LeftAxisFont, l.chart4LeftAxisFont);
    for (QFrame* panel : {Panel8, Panel9})
        panel->setGeometry(panel == Panel8 ? l.panel8 : l.panel9);
    for (QLineEdit* box : {Edit3, Edit4}) Place(box, l.tempBoxes.value, l.tempValueFont);
    for (QPlainTextEdit* box : {Memo5, Memo6}) Place(box, l.tempBoxes.caption, l.tempCaptionFont);
    SetPoints(Memo1, l.memo1Font);

    // Chart area.
    Chart3->setGeometry(l.chart3);
    // A hidden view hands its chart the new size only when it is shown, and the
    // chart then lays itself out inside whichever tick shows it. Give it the size
    // now, so switching to the chart during a test costs no layout.
    chart3View_.Chart()->resize(l.chart3.size());
    Panel12->setGeometry(l.panel12);
    Panel12->setVisible(l.normsVisible);
    chart3View_.SetFonts(l.chartTitleFont, l.chartFootFont, l.chartAxisFont, l.chartLegendFont);
    Place(Label4, l.label4, l.buttonFont);
    Place(Edit6, l.edit6, l.buttonFont);

    // Right column.
    Place(Label3, l.label3, l.label3Font);
    const std::array<QPushButton*, 7> buttons = {BitBtn7,  BitBtn6,  BitBtn8, BitBtn9,
                                                 BitBtn10, BitBtn11, BitBtn12};
    for (size_t i = 0; i < buttons.size(); ++i) Place(buttons[i], l.columnButtons[i], l.buttonFont);
    Place(ListBox1, l.listBox1, l.listFont);
    // A plain list never draws its items lower than its font needs.
    const int itemHeight = std::max(l.listItemHeight, ListBox1->fontMetrics().height() + 2);
    for (int i = 0; i < ListBox1->count(); ++i)
        ListBox1->item(i)->setSizeHint(QSize(0, itemHeight));

    // The two bars.
    Place(BitBtn1, l.bitBtn1, l.buttonFont);
    Place(Label1, l.label1, l.buttonFont);
    Place(Gauge1, l.gauge1, l.buttonFont);
    Place(BitBtn3, l.bitBtn3, l.buttonFont);
    Place(Label2, l.label2, l.label2Font);
    Place(BitBtn4, l.bitBtn4, l.statusButtonFont);
    Place(BitBtn5, l.bitBtn5, l.statusButtonFont);
    Place(BitBtn2, l.bitBtn2, l.statusButtonFont);

    // The small chart's foot, once the chart has its new size.
    PlaceFoot(chart4Foot_, l.chart4.size(), l.chart4FootFont);
}

}  // namespace kelvaron
