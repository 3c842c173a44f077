#include "results/view/chart_area.h"

#include "base/app_settings.h"
#include "base/code_page_validator.h"
#include "base/colors.h"
#include "base/layout.h"
#include "results/view/measurement_chart_view.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>

namespace kelvaron {

namespace {

void Place(QWidget* widget, const QRect& rect, int points) {
    widget->setGeometry(rect);
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

}  // namespace

ChartArea::ChartArea(MeasurementChartView& chart, QWidget* parent) : QFrame(parent), chart_(chart) {
    setObjectName("Panel11");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    chartView = new QChartView(chart.Chart(), this);
    chartView->setObjectName("Chart3");
    chartView->setFrameShape(QFrame::NoFrame);

    normsPanel = new QFrame(this);
    normsPanel->setObjectName("Panel12");
    normsPanel->setFrameShape(QFrame::Panel);
    normsPanel->setFrameShadow(QFrame::Raised);
    normsLabel = new QLabel(QStringLiteral("Нормы:"), normsPanel);
    normsLabel->setObjectName("Label4");
    normsField = new QLineEdit(normsPanel);
    normsField->setObjectName("Edit6");
    normsField->setAccessibleName(QStringLiteral("Нормы:"));
    normsField->setValidator(new Cp1251Validator(normsField));  // the report's norms line
    normsLabel->setBuddy(normsField);
}

QString ChartArea::NormText() const { return normsField->text(); }
void ChartArea::SetNormText(const QString& text) { normsField->setText(text); }

void ChartArea::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel11);
    chartView->setGeometry(l.chart3);
    // A hidden view hands its chart the new size only when it is shown, and the
    // chart would then lay itself out inside whichever tick shows it. Give it the
    // size now, so switching to the chart during a test costs no layout.
    chart_.Resize(l.chart3.size());
    normsPanel->setGeometry(l.panel12);
    normsPanel->setVisible(l.normsVisible);
    chart_.SetFonts(l.chartTitleFont, l.chartFootFont, l.chartAxisFont, l.chartLegendFont);
    Place(normsLabel, l.label4, l.buttonFont);
    Place(normsField, l.edit6, l.buttonFont);
}

void ChartArea::ApplySettings(const AppSettings& s) {
    chart_.SetBackground(ColorFromRef(s.chartBackColor()));
    // The norms line shown or hidden; the chart takes the height left to it.
    const bool norms = s.ShowsNorms();
    normsPanel->setVisible(norms);
    const int height = norms ? this->height() - normsPanel->height() : this->height();
    chartView->resize(chartView->width(), height);
    chart_.Resize(chartView->size());
    chart_.SetLineWidth(s.lineWidth());
    chart_.SetLegendVisible(s.ShowsLegend());
}

}  // namespace kelvaron
