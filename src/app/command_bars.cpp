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
    connectButton = MakeButton(this, "BitBtn1", QStringLiteral("Связь"),
                               QStringLiteral("соединение с прибором"));
    portLine = Named(new QLabel(QStringLiteral("   не подключен"), this), "Label1");
    progressGauge = Named(new QProgressBar(this), "Gauge1");
    progressGauge->setRange(0, 100);
    progressGauge->setValue(0);
    progressGauge->setAlignment(Qt::AlignCenter);
    progressGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: #00a000; }"));
    exitButton =
        MakeButton(this, "BitBtn3", QStringLiteral("Выход"), QStringLiteral("закрытие программы"));
}

void BottomBar::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel1);
    Place(connectButton, l.bitBtn1, l.buttonFont);
    Place(portLine, l.label1, l.buttonFont);
    Place(progressGauge, l.gauge1, l.buttonFont);
    Place(exitButton, l.bitBtn3, l.buttonFont);
}

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel2");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    modeLine = Named(new QLabel(QStringLiteral("Связь не установлена"), this), "Label2");
    freeAccelerationButton = MakeButton(this, "BitBtn4", QStringLiteral("СВ.УСК."),
                                        QStringLiteral("измерение на свободных ускорениях"));
    maxSpeedButton = MakeButton(this, "BitBtn5", QStringLiteral("МАХ.ОБ."),
                                QStringLiteral("измерение на максимальных оборотах"));
    setZeroButton =
        MakeButton(this, "BitBtn2", QStringLiteral("УСТ. 0"), QStringLiteral("установка нуля"));
    for (QPushButton* b : {freeAccelerationButton, maxSpeedButton, setZeroButton}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, QColor(0x80, 0x00, 0x80));
        b->setPalette(p);
    }
}

void StatusBar::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel2);
    Place(modeLine, l.label2, l.label2Font);
    Place(freeAccelerationButton, l.bitBtn4, l.statusButtonFont);
    Place(maxSpeedButton, l.bitBtn5, l.statusButtonFont);
    Place(setZeroButton, l.bitBtn2, l.statusButtonFont);
}

void StatusBar::SetModeLineRed(bool red) {
    QPalette palette = modeLine->palette();
    // The label draws with the role it inherits from the button-face client area.
    palette.setColor(modeLine->foregroundRole(), red ? Qt::red : Qt::black);
    modeLine->setPalette(palette);
}

void StatusBar::ShowModeLine(const QString& text) {
    if (text == modeLine_) return;
    modeLine_ = text;
    modeLine->setText(text);
}

void StatusBar::ShowNotice(const QString& text) { modeLine->setText(text); }

void StatusBar::ShowText(const QString& text) {
    modeLine_.clear();
    modeLine->setText(text);
}

}  // namespace kelvaron
