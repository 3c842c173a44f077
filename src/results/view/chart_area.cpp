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
    Chart3 = new QChartView(chart.Chart(), this);
    Chart3->setObjectName("Chart3");
    Chart3->setFrameShape(QFrame::NoFrame);

    Panel12 = new QFrame(this);
    Panel12->setObjectName("Panel12");
    Panel12->setFrameShape(QFrame::Panel);
    Panel12->setFrameShadow(QFrame::Raised);
    Label4 = new QLabel(QStringLiteral("Нормы:"), Panel12);
    Label4->setObjectName("Label4");
    Edit6 = new QLineEdit(Panel12);
    Edit6->setObjectName("Edit6");
    Edit6->setAccessibleName(QStringLiteral("Нормы:"));
    Edit6->setValidator(new Cp1251Validator(Edit6));  // the report's norms line
    Label4->setBuddy(Edit6);
}

QString ChartArea::NormText() const { return Edit6->text(); }
void ChartArea::SetNormText(const QString& text) { Edit6->setText(text); }

void ChartArea::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel11);
    Chart3->setGeometry(l.chart3);
    // A hidden view hands its chart the new size only when it is shown, and the
    // chart would then lay itself out inside whichever tick shows it. Give it the
    // size now, so switching to the chart during a test costs no layout.
    chart_.Resize(l.chart3.size());
    Panel12->setGeometry(l.panel12);
    Panel12->setVisible(l.normsVisible);
    chart_.SetFonts(l.chartTitleFont, l.chartFootFont, l.chartAxisFont, l.chartLegendFont);
    Place(Label4, l.label4, l.buttonFont);
    Place(Edit6, l.edit6, l.buttonFont);
}

void ChartArea::ApplySettings(const AppSettings& s) {
    chart_.SetBackground(ColorFromRef(s.chartBackColor()));
    // The norms line shown or hidden; the chart takes the height left to it.
    const bool norms = s.ShowsNorms();
    Panel12->setVisible(norms);
    const int height = norms ? this->height() - Panel12->height() : this->height();
    Chart3->resize(Chart3->width(), height);
    chart_.Resize(Chart3->size());
    chart_.SetLineWidth(s.lineWidth());
    chart_.SetLegendVisible(s.ShowsLegend());
}

}  // namespace kelvaron
