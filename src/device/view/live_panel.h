#pragma once
// Panel4, the live-values area: four rows of a large value box with its caption
// (K, N, engine speed, oil temperature), the small bar chart barChart, and the
// chamber and ambient temperature boxes. It shows the live texts, lays itself out
// as the window's layout says and takes its colours from the settings.
#include "device/live_display.h"

#include <QFrame>

#include <array>

class QLineEdit;
class QPlainTextEdit;

namespace kelvaron {

class AppSettings;
class FramePacer;
class SmokeBarChart;
class ValueBox;
struct MainWindowLayout;

class LivePanel final : public QFrame {
    Q_OBJECT

public:
    explicit LivePanel(QWidget* parent);

    // The texts of the boxes, the bar and its foot. Only what changed is touched,
    // so an unchanged reading costs no repaint.
    void Show(const LiveTexts& texts);
    // The texts shown now: the design texts until the first Show.
    const LiveTexts& Shown() const { return shown_; }
    // Positions and fonts; `boxHeight` of a value box comes from BoxHeightFor.
    void ApplyLayout(const MainWindowLayout& layout);
    // The height of a value box whose font has `points` points.
    int BoxHeightFor(int points) const;
    // barChart's title and scale for K (false) or N (true).
    void ApplyQuantity(bool plotN);
    // The four large boxes and their captions take the colours of the settings;
    // the chamber and ambient boxes keep white on black.
    void ApplyColors(const AppSettings& settings);

    QFrame* kPanel = nullptr;
    ValueBox* kValueBox = nullptr;  // K
    QPlainTextEdit* kCaption = nullptr;
    QFrame* nPanel = nullptr;
    ValueBox* nValueBox = nullptr;  // N
    QPlainTextEdit* nCaption = nullptr;
    QFrame* rpmPanel = nullptr;
    ValueBox* rpmValueBox = nullptr;  // engine speed
    QPlainTextEdit* rpmCaption = nullptr;
    QFrame* oilPanel = nullptr;
    ValueBox* oilValueBox = nullptr;  // oil temperature
    QPlainTextEdit* oilCaption = nullptr;
    SmokeBarChart* barChart = nullptr;
    QFrame* chamberPanel = nullptr;
    ValueBox* chamberValueBox = nullptr;  // chamber temperature
    QPlainTextEdit* chamberCaption = nullptr;
    QFrame* ambientPanel = nullptr;
    ValueBox* ambientValueBox = nullptr;  // ambient temperature
    QPlainTextEdit* ambientCaption = nullptr;
    FramePacer* pacer = nullptr;  // paces the repaints of the boxes and the bar

private:
    std::array<ValueBox*, 4> ValueBoxes() const {
        return {kValueBox, nValueBox, rpmValueBox, oilValueBox};
    }
    std::array<QPlainTextEdit*, 4> Captions() const {
        return {kCaption, nCaption, rpmCaption, oilCaption};
    }

    QLineEdit* boxProbe_ = nullptr;  // measures the height of a box for a font size
    LiveTexts shown_;
};

}  // namespace kelvaron
