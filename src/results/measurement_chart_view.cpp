#include "measurement_chart_view.h"

#include "shell/colors.h"

#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

namespace kelvaron {

namespace {

// Centred along the bottom edge of the chart's picture.
void PlaceFootOn(QChart* chart, QGraphicsSimpleTextItem* foot) {
    const QRectF text = foot->boundingRect();
    const QSizeF size = chart->size();
    foot->setPos((size.width() - text.width()) / 2, size.height() - text.height() - 2);
}

}  // namespace

MeasurementChartView::MeasurementChartView() : chart_(new QChart()) {
    bottom_ = new QValueAxis(chart_);
    bottom_->setRange(0, kSamplesAcross);
    bottom_->setLabelsAngle(-90);
    bottom_->setLabelFormat(QStringLiteral("%d"));
    left_ = new QValueAxis(chart_);
    right_ = new QValueAxis(chart_);
    for (QValueAxis* axis : {left_, right_}) {
        axis->setRange(0, 10);
        axis->setLabelFormat(QStringLiteral("%g"));
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

    foot_ = new QGraphicsSimpleTextItem(chart_);
    QFont font = foot_->font();
    font.setBold(true);
    foot_->setFont(font);
    // Captures only what the chart owns: the chart may outlive this object.
    QObject::connect(chart_, &QChart::plotAreaChanged, chart_,
                     [chart = chart_, foot = foot_] { PlaceFootOn(chart, foot); });
}

MeasurementChartView::~MeasurementChartView() = default;  // the chart belongs to its view

QString MeasurementChartView::FootText() const { return foot_->text(); }
QColor MeasurementChartView::FootColor() const { return foot_->brush().color(); }

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
    foot_->setFont(sized(foot_->font(), footPoints));
    // Room under the axes for the foot.
    const int footHeight = static_cast<int>(foot_->boundingRect().height());
    chart_->setMargins(QMargins(4, 4, 4, footHeight + 6));
    PlaceFoot();
}

void MeasurementChartView::PlaceFoot() { PlaceFootOn(chart_, foot_); }

}  // namespace kelvaron
