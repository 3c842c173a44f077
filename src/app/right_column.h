#pragma once
// Panel3, the right column: the label "ОТЧЕТ", the report and option buttons,
// and the view list viewList.
#include <QFrame>
#include <QListWidget>

class QLabel;
class QPushButton;

namespace kelvaron {

struct MainWindowLayout;

// The view list. A click on any entry, the one already selected included, asks
// for that view: a second click on "Отчет" composes the report again.
// The four views of the main area, in the order of the view list and the menu.
enum class View { Table = 0, Chart = 1, Report = 2, Recording = 3 };

class ViewList final : public QListWidget {
    Q_OBJECT

public:
    explicit ViewList(QWidget* parent);
    // Selects `row` without asking for the view.
    void SetRowQuietly(int row);
    // The view selected; Table while none is.
    View Current() const {
        return currentRow() < 0 ? View::Table : static_cast<View>(currentRow());
    }

signals:
    // The operator chose a view by mouse or keyboard.
    void viewChosen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A view refused while the list still handles the click or key (the stop
    // question answered "Отмена") puts the current row back; the list then goes
    // on to highlight the row it was moving to. The highlight follows the current row.
    void HighlightCurrentRow();
};

class RightColumn final : public QFrame {
    Q_OBJECT

public:
    explicit RightColumn(QWidget* parent);
    void ApplyLayout(const MainWindowLayout& layout);

    QLabel* reportLabel = nullptr;
    QPushButton* saveReportButton = nullptr;    // "Сохранить"
    QPushButton* openReportButton = nullptr;    // "Открыть"
    QPushButton* clearResultsButton = nullptr;  // "Стереть"
    QPushButton* printReportButton = nullptr;   // "Печать"
    QPushButton* headerButton = nullptr;        // "Оформить"
    QPushButton* normsButton = nullptr;         // "Нормы"
    QPushButton* optionsButton = nullptr;       // "Опции"
    ViewList* viewList = nullptr;
};

}  // namespace kelvaron
