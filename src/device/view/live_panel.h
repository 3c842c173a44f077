#pragma once
// Panel4, the live-values area: four rows of a large value box with its caption
// (K, N, engine speed, oil temperature), the small bar chart Chart4, and the
// chamber and ambient temperature boxes. It shows the live texts, lays itself out
// as the window's layout says and takes its colours from the settings.
#include "device/live_display.h"

#include <QFrame>

#include <array>

class QLineEdit;
class QPlainTextEdit;

namespace kelvaron {

class AppSettings;
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
    // Chart4's title and scale for K (false) or N (true).
    void ApplyQuantity(bool plotN);
    // The four large boxes and their captions take the colours of the settings;
    // the chamber and ambient boxes keep white on black.
    void ApplyColors(const AppSettings& settings);

    QFrame* Panel10 = nullptr;
    ValueBox* Edit5 = nullptr;  // K
    QPlainTextEdit* Memo7 = nullptr;
    QFrame* Panel5 = nullptr;
    ValueBox* Edit8 = nullptr;  // N
    QPlainTextEdit* Memo3 = nullptr;
    QFrame* Panel6 = nullptr;
    ValueBox* Edit1 = nullptr;  // engine speed
    QPlainTextEdit* Memo2 = nullptr;
    QFrame* Panel7 = nullptr;
    ValueBox* Edit2 = nullptr;  // oil temperature
    QPlainTextEdit* Memo4 = nullptr;
    SmokeBarChart* Chart4 = nullptr;
    QFrame* Panel8 = nullptr;
    ValueBox* Edit3 = nullptr;  // chamber temperature
    QPlainTextEdit* Memo5 = nullptr;
    QFrame* Panel9 = nullptr;
    ValueBox* Edit4 = nullptr;  // ambient temperature
    QPlainTextEdit* Memo6 = nullptr;

private:
    std::array<ValueBox*, 4> ValueBoxes() const { return {Edit5, Edit8, Edit1, Edit2}; }
    std::array<QPlainTextEdit*, 4> Captions() const { return {Memo7, Memo3, Memo2, Memo4}; }

    QLineEdit* boxProbe_ = nullptr;  // measures the height of a box for a font size
    LiveTexts shown_;
};

}  // namespace kelvaron
