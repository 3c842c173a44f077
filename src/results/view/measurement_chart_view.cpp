#include "results/view/measurement_chart_view.h"

#include "base/colors.h"
#include "base/locale_formats.h"
#include "base/text_fit.h"

#include <QApplication>
#include <QBrush>
#include <QChart>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPalette>
#include <QPen>
#include <QValueAxis>

namespace kelvaron {

namespace {

constexpr int kStripPadding = 3;  // pixels above and below the foot's text

}  // namespace

void SetMeasurementColors(MeasurementChartView& chart) {
    // Line 1 to line 6, and the foot, as 0x00BBGGRR.
    constexpr std::array<int32_t, MeasurementChartView::kCurves> kCurveColors = {
        0x00FFFF00, 0x0000FFFF, 0x00FF0000, 0x00800080, 0x0000FF00, 0x00008080};
    constexpr int32_t kFootColor = 0x00800000;
    for (int i = 0; i < MeasurementChartView::kCurves; ++i)
        chart.SetCurveColor(i + 1, ColorFromRef(kCurveColors[static_cast<size_t>(i)]));
    chart.SetFootColor(kFootColor);
}

QStringList LongestFootLines() {
    return {QStringLiteral(" Ср.коэфф.ослабл. K = 00,000 м-1 , Ср.дымность N = 100,0 % "),
            QStringLiteral(" Ср.коэфф.ослабл. K = 00,000 м-1   Ср.дымность N = 100,0 % "),
            QStringLiteral("  Результат недействителен,убывающая последовательность  "),
            QStringLiteral("  Коэффициент ослабления  ,  м-1   "),
            QStringLiteral(" Коэфф.ослабления , м-1,  Измерение  №   6  ")};
}

MeasurementChartView::MeasurementChartView() : chart_(new QChart()) {
    chart_->setBackgroundRoundness(0);
    chart_->setDropShadowEnabled(false);
    // The background reaches the edges of the view, on screen and in pictures.
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    // Axis labels with the decimal comma, like every other number of the program.
    chart_->setLocale(ProgramLocale());
    chart_->setLocalizeNumbers(true);
    bottom_ = new QValueAxis(chart_);
    bottom_->setRange(0, kSamplesAcross);
    bottom_->setLabelsAngle(-90);
    // Localised labels take a precision: whole samples, and K's 2,5 steps or N's 25.
    bottom_->setLabelFormat(QStringLiteral("%.0f"));
    left_ = new QValueAxis(chart_);
    right_ = new QValueAxis(chart_);
    for (QValueAxis* axis : {left_, right_}) {
        axis->setRange(0, 10);
        axis->setLabelFormat(QStringLiteral("%.3g"));
    }
    chart_->addAxis(bottom_, Qt::AlignBottom);
    chart_->addAxis(left_, Qt::AlignLeft);
    chart_->addAxis(right_, Qt::AlignRight);

    for (int i = 0; i < kCurves; ++i) {
        auto* curve = new QLineSeries(chart_);
        curve->setName(QStringLiteral("Измер.%1").arg(i + 1));
        curve->setObjectName(QStringLiteral("Series%1").arg(i + 1));
        chart_->addSeries(curve);
        curve->attachAxis(bottom_);
        curve->attachAxis(left_);
        if (i == 1) curve->attachAxis(right_);  // the right scale goes with the second curve
        curves_[static_cast<size_t>(i)] = curve;
    }
    chart_->legend()->setAlignment(Qt::AlignLeft);

    footStrip_ = new QGraphicsRectItem(chart_);
    footStrip_->setPen(Qt::NoPen);
    SetFootStripOnPaper(false);
    foot_ = new QGraphicsSimpleTextItem(chart_);
    QFont font = foot_->font();
    font.setBold(true);
    foot_->setFont(font);
    SetBackground(Qt::black);
    // The view sizes the chart too: the foot follows every new size.
    followSize_ =
        QObject::connect(chart_, &QGraphicsWidget::geometryChanged, chart_, [this] { FitFoot(); });
}

// The chart belongs to its view and may outlive this object.
MeasurementChartView::~MeasurementChartView() { QObject::disconnect(followSize_); }

QString MeasurementChartView::FootText() const { return foot_->text(); }
QColor MeasurementChartView::FootColor() const { return foot_->brush().color(); }
QRectF MeasurementChartView::FootTextRect() const {
    return foot_->mapRectToScene(foot_->boundingRect());
}
QRectF MeasurementChartView::FootStripRect() const {
    return footStrip_->mapRectToScene(footStrip_->rect());
}

void MeasurementChartView::ClearCurves() {
    for (QLineSeries* curve : curves_) curve->clear();
}

bool MeasurementChartView::AddPoint(int curve, double x, double y) {
    if (curve < 1 || curve > kCurves) return false;
    curves_[static_cast<size_t>(curve - 1)]->append(x, y);
    return true;
}

void MeasurementChartView::ClearFoot() { SetFootText(QString()); }

void MeasurementChartView::SetFootText(const QString& text) {
    foot_->setText(text);
    PlaceFoot();
}

void MeasurementChartView::SetFootColor(int32_t color) { foot_->setBrush(ColorFromRef(color)); }

void MeasurementChartView::SetCurveColor(int curve, const QColor& color) {
    QLineSeries* series = curves_[static_cast<size_t>(curve - 1)];
    QPen pen = series->pen();
    pen.setColor(color);
    series->setPen(pen);
}

void MeasurementChartView::SetLineWidth(int width) {
    for (QLineSeries* series : curves_) {
        QPen pen = series->pen();
        pen.setWidth(width);
        series->setPen(pen);
    }
}

void MeasurementChartView::SetVerticalMaximum(double maximum) {
    left_->setRange(0, maximum);
    right_->setRange(0, maximum);
}

void MeasurementChartView::SetTitle(const QString& firstLine, const QString& secondLine) {
    chart_->setTitle(firstLine.toHtmlEscaped() + QStringLiteral("<br>") +
                     secondLine.toHtmlEscaped());
}

void MeasurementChartView::SetBackground(const QColor& color) {
    chart_->setBackgroundBrush(color);
    chart_->setBackgroundPen(Qt::NoPen);
    textColor_ = ReadableTextColor(color);
    // Grid lines half-way between the text and the background.
    const QColor grid((textColor_.red() + color.red()) / 2,
                      (textColor_.green() + color.green()) / 2,
                      (textColor_.blue() + color.blue()) / 2);
    chart_->setTitleBrush(textColor_);
    chart_->legend()->setLabelColor(textColor_);
    for (QValueAxis* axis : {bottom_, left_, right_}) {
        axis->setLabelsColor(textColor_);
        axis->setLinePenColor(textColor_);
        axis->setGridLineColor(grid);
    }
}

void MeasurementChartView::SetFootStripOnPaper(bool onPaper) {
    footStrip_->setBrush(onPaper ? QColor(Qt::white)
                                 : QApplication::palette().color(QPalette::Window));
}

void MeasurementChartView::SetLegendVisible(bool visible) { chart_->legend()->setVisible(visible); }

void MeasurementChartView::SetFonts(int titlePoints, int footPoints, int axisPoints,
                                    int legendPoints) {
    const auto sized = [](QFont font, int points) {
        font.setPointSize(points);
        return font;
    };
    chart_->setTitleFont(sized(chart_->titleFont(), titlePoints));
    for (QValueAxis* axis : {bottom_, left_, right_})
        axis->setLabelsFont(sized(axis->labelsFont(), axisPoints));
    chart_->legend()->setFont(sized(chart_->legend()->font(), legendPoints));
    footPoints_ = footPoints;
    FitFoot();
}

void MeasurementChartView::Resize(const QSizeF& size) { chart_->resize(size); }

void MeasurementChartView::FitFoot() {
    const int width = static_cast<int>(chart_->size().width()) - 2 * kStripPadding;
    QFont font = foot_->font();
    font.setPointSize(FitPointSize(font, LongestFootLines(), QSize(width, 1 << 20), footPoints_));
    foot_->setFont(font);
    // Room under the axes for the strip that carries the foot. The chart reserves
    // too little height for the turned sample labels: give them as much again as
    // the longest label is long, so "120" and "160" stand whole above the strip.
    const int footHeight = static_cast<int>(foot_->boundingRect().height());
    const int longestLabel =
        QFontMetrics(bottom_->labelsFont())
            .horizontalAdvance(QString::number(static_cast<int>(bottom_->max())));
    const QMargins margins(4, 4, 4, footHeight + 2 * kStripPadding + 2 + longestLabel);
    if (chart_->margins() != margins) chart_->setMargins(margins);
    PlaceFoot();
}

void MeasurementChartView::PlaceFoot() {
    const QSizeF size = chart_->size();
    const qreal textHeight = foot_->boundingRect().height();
    const qreal stripHeight = textHeight + 2 * kStripPadding;
    footStrip_->setRect(0, size.height() - stripHeight, size.width(), stripHeight);
    const QRectF text = foot_->boundingRect();
    foot_->setPos((size.width() - text.width()) / 2, size.height() - stripHeight + kStripPadding);
}

}  // namespace kelvaron
