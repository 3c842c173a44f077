#include "app/command_bars.h"

#include "base/layout.h"
#include "base/view/widget_kit.h"

#include <QLabel>
#include <QProgressBar>

namespace kelvaron {

BottomBar::BottomBar(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel1");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    BitBtn1 = MakeButton(this, "BitBtn1", QStringLiteral("Связь"),
                         QStringLiteral("соединение с прибором"));
    Label1 = Named(new QLabel(QStringLiteral("   не подключен"), this), "Label1");
    Gauge1 = Named(new QProgressBar(this), "Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: #00a000; }"));
    BitBtn3 =
        MakeButton(this, "BitBtn3", QStringLiteral("Выход"), QStringLiteral("закрытие программы"));
}

void BottomBar::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel1);
    Place(BitBtn1, l.bitBtn1, l.buttonFont);
    Place(Label1, l.label1, l.buttonFont);
    Place(Gauge1, l.gauge1, l.buttonFont);
    Place(BitBtn3, l.bitBtn3, l.buttonFont);
}

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel2");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    Label2 = Named(new QLabel(QStringLiteral("Связь не установлена"), this), "Label2");
    BitBtn4 = MakeButton(this, "BitBtn4", QStringLiteral("СВ.УСК."),
                         QStringLiteral("измерение на свободных ускорениях"));
    BitBtn5 = MakeButton(this, "BitBtn5", QStringLiteral("МАХ.ОБ."),
                         QStringLiteral("измерение на максимальных оборотах"));
    BitBtn2 =
        MakeButton(this, "BitBtn2", QStringLiteral("УСТ. 0"), QStringLiteral("установка нуля"));
    for (QPushButton* b : {BitBtn4, BitBtn5, BitBtn2}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, QColor(0x80, 0x00, 0x80));
        b->setPalette(p);
    }
}

void StatusBar::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel2);
    Place(Label2, l.label2, l.label2Font);
    Place(BitBtn4, l.bitBtn4, l.statusButtonFont);
    Place(BitBtn5, l.bitBtn5, l.statusButtonFont);
    Place(BitBtn2, l.bitBtn2, l.statusButtonFont);
}

void StatusBar::SetModeLineRed(bool red) {
    QPalette palette = Label2->palette();
    // The label draws with the role it inherits from the button-face client area.
    palette.setColor(Label2->foregroundRole(), red ? Qt::red : Qt::black);
    Label2->setPalette(palette);
}

void StatusBar::ShowModeLine(const QString& text) {
    if (text == modeLine_) return;
    modeLine_ = text;
    Label2->setText(text);
}

void StatusBar::ShowNotice(const QString& text) { Label2->setText(text); }

void StatusBar::ShowText(const QString& text) {
    modeLine_.clear();
    Label2->setText(text);
}

}  // namespace kelvaron
