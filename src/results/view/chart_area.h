#pragma once
// Panel11, the chart area: the measurement chart chartView and, along the bottom,
// the norms line normsPanel ("Нормы:" and the box normsField with the current norm,
// which the operator may also type into).
#include <QFrame>

class QChartView;
class QLabel;
class QLineEdit;

namespace kelvaron {

class AppSettings;
class MeasurementChartView;
struct MainWindowLayout;

class ChartArea final : public QFrame {
    Q_OBJECT

public:
    ChartArea(MeasurementChartView& chart, QWidget* parent);

    void ApplyLayout(const MainWindowLayout& layout);
    // Background, norms line, line width and legend of the settings. Showing or
    // hiding the norms line gives the chart the height left to it.
    void ApplySettings(const AppSettings& settings);

    QString NormText() const;
    void SetNormText(const QString& text);

    QChartView* chartView = nullptr;
    QFrame* normsPanel = nullptr;
    QLabel* normsLabel = nullptr;
    QLineEdit* normsField = nullptr;

private:
    MeasurementChartView& chart_;
};

}  // namespace kelvaron
