#pragma once
// The two bars along the bottom of the main window. Panel1: "Связь", the port
// line, the search gauge and "Выход". Panel2 above it: the mode line and the
// commands "СВ.УСК.", "МАХ.ОБ." and "УСТ. 0".
#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelvaron {

struct MainWindowLayout;

class BottomBar final : public QFrame {
    Q_OBJECT

public:
    explicit BottomBar(QWidget* parent);
    void ApplyLayout(const MainWindowLayout& layout);

    QPushButton* connectButton = nullptr;  // "Связь"
    QLabel* portLine = nullptr;            // port line
    QProgressBar* progressGauge = nullptr;
    QPushButton* exitButton = nullptr;  // "Выход"
};

class StatusBar final : public QFrame {
    Q_OBJECT

public:
    explicit StatusBar(QWidget* parent);
    void ApplyLayout(const MainWindowLayout& layout);
    // The mode line in red while the link is lost, black otherwise.
    void SetModeLineRed(bool red);
    // The instrument's mode (or the loss of the link). The poll loop repeats it
    // every refresh; it replaces a notice only when it changes.
    void ShowModeLine(const QString& text);
    // A notice that stays until the mode line changes.
    void ShowNotice(const QString& text);
    // Any other text: the next mode line replaces it.
    void ShowText(const QString& text);

    QLabel* modeLine = nullptr;                     // mode line
    QPushButton* freeAccelerationButton = nullptr;  // "СВ.УСК."
    QPushButton* maxSpeedButton = nullptr;          // "МАХ.ОБ."
    QPushButton* setZeroButton = nullptr;           // "УСТ. 0"

private:
    QString modeLine_;  // the mode line shown last
};

}  // namespace kelvaron
