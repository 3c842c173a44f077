#include "main_window.h"

#include "device/serial.h"
#include "shell/program_dir.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

std::unique_ptr<SerialLink> MakeSerial(FormDeps& deps, const QString& programDir) {
    if (deps.serial) return std::move(deps.serial);
    return std::make_unique<TSerial>(programDir + QStringLiteral("ports"));
}

}  // namespace

TForm1::TForm1(FormDeps deps)
    : programDir_(deps.programDir.isEmpty() ? ProgramDir() : deps.programDir),
      ownMessages_(deps.messages ? nullptr : std::make_unique<WidgetMessageBoxes>(this)),
      messages_(deps.messages ? deps.messages : ownMessages_.get()),
      serial_(MakeSerial(deps, programDir_)),
      poll_(readings_, control_, protokol_, *serial_, *this) {
    setObjectName("Form1");
    setWindowTitle("KELVARON");

    Timer2.setObjectName("Timer2");
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(poll_timing::kTickMs);
    connect(&Timer2, &QTimer::timeout, this, [this] { poll_.Timer2Timer(); });

    TimerZad.setObjectName("TimerZad");
    TimerZad.setSingleShot(true);
    TimerZad.setInterval(poll_timing::kPortDelayMs);
    connect(&TimerZad, &QTimer::timeout, this, [this] {
        TimerZad.stop();
        poll_.TimerZadTimer();
    });

    BuildWindow();
}

TForm1::~TForm1() {
    Timer2.stop();
    TimerZad.stop();
    serial_->Close();
}

void TForm1::BuildWindow() {
    resize(819, 700);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addStretch(1);

    Panel2 = new QFrame(central);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameShape(QFrame::StyledPanel);
    auto* statusRow = new QHBoxLayout(Panel2);
    Label2 = new QLabel(QStringLiteral("Связь не установлена"), Panel2);
    Label2->setObjectName("Label2");
    statusRow->addWidget(Label2);
    column->addWidget(Panel2);

    Panel1 = new QFrame(central);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto* bottomRow = new QHBoxLayout(Panel1);
    BitBtn1 = new QPushButton(QStringLiteral("Связь"), Panel1);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setToolTip(QStringLiteral("соединение с прибором"));
    Label1 = new QLabel(QStringLiteral("   не подключен"), Panel1);
    Label1->setObjectName("Label1");
    Gauge1 = new QProgressBar(Panel1);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    BitBtn3 = new QPushButton(QStringLiteral("Выход"), Panel1);
    BitBtn3->setObjectName("BitBtn3");
    bottomRow->addWidget(BitBtn1);
    bottomRow->addWidget(Label1, 1);
    bottomRow->addWidget(Gauge1, 1);
    bottomRow->addWidget(BitBtn3);
    column->addWidget(Panel1);
    setCentralWidget(central);

    menuActions = menuBar()->addMenu(QStringLiteral("Действия"));
    menuActions->setObjectName("N7");
    N8 = menuActions->addAction(QStringLiteral("Связь"));
    N8->setObjectName("N8");
    N8->setShortcut(QKeySequence(Qt::Key_F12));
    N8->setShortcutContext(Qt::ApplicationShortcut);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(N8, &QAction::triggered, BitBtn1, &QPushButton::click);
    connect(BitBtn3, &QPushButton::clicked, this, &QWidget::close);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Once the window is on screen, so that a message of the search has a window
    // to stand over.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TForm1::FormShow() {
    if (connectAtStart_ == 1) poll_.StartSearch(portSearch_);
}

void TForm1::closeEvent(QCloseEvent* event) {
    Timer2.stop();
    TimerZad.stop();
    serial_->Close();
    event->accept();
}

void TForm1::BitBtn1Click() {
    Label2->setText(QStringLiteral("Связь не установлена"));
    poll_.StartSearch(portSearch_);
}

// ---- PollHost ----

void TForm1::SetPollTimerEnabled(bool enabled) {
    if (enabled)
        Timer2.start();
    else
        Timer2.stop();
}

void TForm1::StartDelayTimer() { TimerZad.start(); }

void TForm1::ShowPortLine(const QString& text) { Label1->setText(text); }

void TForm1::ShowStatusLine(const QString& text) { Label2->setText(text); }

void TForm1::SetStatusLineRed(bool red) {
    QPalette palette = Label2->palette();
    palette.setColor(QPalette::WindowText, red ? Qt::red : Qt::black);
    Label2->setPalette(palette);
}

void TForm1::SetGauge(int value) { Gauge1->setValue(value); }

void TForm1::Notify(const QString& text) { messages_->Notice(text); }

}  // namespace kelvaron
