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
    Label3 = Named(new QLabel(QStringLiteral("ОТЧЕТ"), this), "Label3");
    BitBtn7 = MakeButton(this, "BitBtn7", QStringLiteral("Сохранить"));
    BitBtn6 = MakeButton(this, "BitBtn6", QStringLiteral("Открыть"));
    BitBtn8 =
        MakeButton(this, "BitBtn8", QStringLiteral("Стереть"), QStringLiteral("все результаты"));
    BitBtn9 = MakeButton(this, "BitBtn9", QStringLiteral("Печать"));
    BitBtn10 = MakeButton(this, "BitBtn10", QStringLiteral("Оформить"));
    BitBtn11 = MakeButton(this, "BitBtn11", QStringLiteral("Нормы"));
    BitBtn12 = MakeButton(this, "BitBtn12", QStringLiteral("Опции"));

    ListBox1 = Named(new ViewList(this), "ListBox1");
    ListBox1->addItems({QStringLiteral("Таблица"), QStringLiteral("График"),
                        QStringLiteral("Отчет"), QStringLiteral("Запись")});
    ListBox1->setToolTip(QStringLiteral("вид окна"));
    ListBox1->setToolTipDuration(kToolTipMs);
    ListBox1->setAccessibleName(QStringLiteral("вид окна"));
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setTextElideMode(Qt::ElideNone);
}

void RightColumn::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel3);
    Place(Label3, l.label3, l.label3Font);
    const std::array<QPushButton*, 7> buttons = {BitBtn7,  BitBtn6,  BitBtn8, BitBtn9,
                                                 BitBtn10, BitBtn11, BitBtn12};
    for (size_t i = 0; i < buttons.size(); ++i) Place(buttons[i], l.columnButtons[i], l.buttonFont);
    Place(ListBox1, l.listBox1, l.listFont);
    // A plain list never draws its items lower than its font needs.
    const int itemHeight = std::max(l.listItemHeight, ListBox1->fontMetrics().height() + 2);
    for (int i = 0; i < ListBox1->count(); ++i)
        ListBox1->item(i)->setSizeHint(QSize(0, itemHeight));
}

}  // namespace kelvaron
