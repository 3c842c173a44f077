#include "app/right_column.h"

#include "base/layout.h"
#include "base/view/widget_kit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace kelvaron {

ViewList::ViewList(QWidget* parent) : QListWidget(parent) {
    // Keyboard and mouse both move the current row; a change of row asks for its view.
    connect(this, &QListWidget::currentRowChanged, this, [this] { emit viewChosen(); });
}

void ViewList::SetRowQuietly(int row) {
    const QSignalBlocker quiet(this);
    setCurrentRow(row);
}

void ViewList::mousePressEvent(QMouseEvent* event) {
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    // A press on the entry already selected changes no row; it still asks.
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && hit.isValid() && hit.row() == before &&
        currentRow() == before)
        emit viewChosen();
}

bool ViewList::viewportEvent(QEvent* event) {
    const bool used = QListWidget::viewportEvent(event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            HighlightCurrentRow();
            break;
        default:
            break;
    }
    return used;
}

void ViewList::keyPressEvent(QKeyEvent* event) {
    QListWidget::keyPressEvent(event);
    HighlightCurrentRow();
}

void ViewList::HighlightCurrentRow() {
    const QListWidgetItem* current = currentItem();
    if (!current || (current->isSelected() && selectedItems().size() == 1)) return;
    const QSignalBlocker quiet(this);
    setCurrentRow(currentRow(), QItemSelectionModel::ClearAndSelect);
}

RightColumn::RightColumn(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel3");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    reportLabel = Named(new QLabel(QStringLiteral("ОТЧЕТ"), this), "Label3");
    saveReportButton = MakeButton(this, "BitBtn7", QStringLiteral("Сохранить"));
    openReportButton = MakeButton(this, "BitBtn6", QStringLiteral("Открыть"));
    clearResultsButton =
        MakeButton(this, "BitBtn8", QStringLiteral("Стереть"), QStringLiteral("все результаты"));
    printReportButton = MakeButton(this, "BitBtn9", QStringLiteral("Печать"));
    headerButton = MakeButton(this, "BitBtn10", QStringLiteral("Оформить"));
    normsButton = MakeButton(this, "BitBtn11", QStringLiteral("Нормы"));
    optionsButton = MakeButton(this, "BitBtn12", QStringLiteral("Опции"));

    viewList = Named(new ViewList(this), "ListBox1");
    viewList->addItems({QStringLiteral("Таблица"), QStringLiteral("График"),
                        QStringLiteral("Отчет"), QStringLiteral("Запись")});
    viewList->setToolTip(QStringLiteral("вид окна"));
    viewList->setToolTipDuration(kToolTipMs);
    viewList->setAccessibleName(QStringLiteral("вид окна"));
    viewList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewList->setTextElideMode(Qt::ElideNone);
}

void RightColumn::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel3);
    Place(reportLabel, l.label3, l.label3Font);
    const std::array<QPushButton*, 7> buttons = {
        saveReportButton, openReportButton, clearResultsButton, printReportButton,
        headerButton,     normsButton,      optionsButton};
    for (size_t i = 0; i < buttons.size(); ++i) Place(buttons[i], l.columnButtons[i], l.buttonFont);
    Place(viewList, l.listBox1, l.listFont);
    // A plain list never draws its items lower than its font needs.
    const int itemHeight = std::max(l.listItemHeight, viewList->fontMetrics().height() + 2);
    for (int i = 0; i < viewList->count(); ++i)
        viewList->item(i)->setSizeHint(QSize(0, itemHeight));
}

}  // namespace kelvaron
