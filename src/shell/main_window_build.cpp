// TForm1: the regions, widgets and menus of the main window, with their names,
// texts and tips. Geometry comes from the layout, behaviour from main_window.cpp.
#include "main_window.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QValueAxis>

#include <array>

namespace kelvaron {

namespace {

constexpr int kToolTipMs = 5000;

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QFrame* MakePanel(QWidget* parent, const char* name) {
    auto* panel = Named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QString& tip = {}) {
    auto* button = Named(new QPushButton(text, parent), name);
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
        button->setToolTipDuration(kToolTipMs);
    }
    return button;
}

// A read-only single-line box with large digits.
QLineEdit* MakeValueBox(QWidget* parent, const char* name, const QString& text, const QColor& fore,
                        const QColor& back) {
    auto* box = Named(new QLineEdit(text, parent), name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    // Digits this large gain nothing from hinting, and unhinted outlines are
    // cheaper to draw up to 30 times a second.
    QFont font = box->font();
    font.setHintingPreference(QFont::PreferNoHinting);
    box->setFont(font);
    QPalette p = box->palette();
    p.setColor(QPalette::Text, fore);
    p.setColor(QPalette::Base, back);
    box->setPalette(p);
    return box;
}

// A read-only text box of two lines beside a value box.
QPlainTextEdit* MakeCaptionBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = Named(new QPlainTextEdit(text, parent), name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette p = box->palette();
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, QColor(0xC0, 0xDC, 0xC0));
    box->setPalette(p);
    return box;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {}) {
    QAction* item = Named(menu->addAction(text), name);
    if (!key.isEmpty()) item->setShortcut(key);
    return item;
}

void AddSeparator(QMenu* menu, const char* name) { Named(menu->addSeparator(), name); }

// A one-line foot under a chart, drawn into the chart's own picture.
QGraphicsSimpleTextItem* AddFoot(QChart* chart, const QString& text) {
    auto* foot = new QGraphicsSimpleTextItem(text, chart);
    QFont font = foot->font();
    font.setBold(true);
    foot->setFont(font);
    return foot;
}

}  // namespace

void TForm1::BuildWindow() {
    setObjectName("Form1");
    setWindowTitle("KELVARON");
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    setFont(font);

    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setAutoFillBackground(true);
    client_->setBackgroundRole(QPalette::Button);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    boxProbe_ = new QLineEdit(this);
    boxProbe_->hide();

    BuildBars(client_);
    BuildLiveValues(client_);
    BuildChartArea(client_);
    BuildRecordingGroup(client_);
    BuildRightColumn(client_);
    BuildMenus();
}

void TForm1::BuildBars(QWidget* client) {
    Panel1 = MakePanel(client, "Panel1");
    BitBtn1 = MakeButton(Panel1, "BitBtn1", QStringLiteral("Связь"),
                         QStringLiteral("соединение с прибором"));
    Label1 = Named(new QLabel(QStringLiteral("   не подключен"), Panel1), "Label1");
    Gauge1 = Named(new QProgressBar(Panel1), "Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: #00a000; }"));
    BitBtn3 = MakeButton(Panel1, "BitBtn3", QStringLiteral("Выход"),
                         QStringLiteral("закрытие программы"));

    Panel2 = MakePanel(client, "Panel2");
    Label2 = Named(new QLabel(QStringLiteral("Связь не установлена"), Panel2), "Label2");
    BitBtn4 = MakeButton(Panel2, "BitBtn4", QStringLiteral("СВ.УСК."),
                         QStringLiteral("измерение на свободных ускорениях"));
    BitBtn5 = MakeButton(Panel2, "BitBtn5", QStringLiteral("МАХ.ОБ."),
                         QStringLiteral("измерение на максимальных оборотах"));
    BitBtn2 =
        MakeButton(Panel2, "BitBtn2", QStringLiteral("УСТ. 0"), QStringLiteral("установка нуля"));
    for (QPushButton* b : {BitBtn4, BitBtn5, BitBtn2}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, QColor(0x80, 0x00, 0x80));
        b->setPalette(p);
    }
}

void TForm1::BuildLiveValues(QWidget* client) {
    Panel4 = MakePanel(client, "Panel4");
    const QColor yellow(0xFF, 0xFF, 0x00), black(0, 0, 0), white(0xFF, 0xFF, 0xFF);
    const auto row = [&](const char* panel, const char* value, const QString& digits,
                         const char* caption, const QString& captionText, QLineEdit*& valueBox,
                         QPlainTextEdit*& captionBox) {
        QFrame* p = MakePanel(Panel4, panel);
        valueBox = MakeValueBox(p, value, digits, yellow, black);
        captionBox = MakeCaptionBox(p, caption, captionText);
        return p;
    };
    Panel10 = row("Panel10", "Edit5", QStringLiteral("00,0"), "Memo7",
                  QStringLiteral("Коэфф.осл.\n    К ,  м-1"), Edit5, Memo7);
    Panel5 = row("Panel5", "Edit8", QStringLiteral("00,0"), "Memo3",
                 QStringLiteral(" Дымность\n    N ,   %"), Edit8, Memo3);
    Panel6 = row("Panel6", "Edit1", QStringLiteral("0000"), "Memo2",
                 QStringLiteral("        F\n  об / мин"), Edit1, Memo2);
    Panel7 = row("Panel7", "Edit2", QStringLiteral("000,0"), "Memo4",
                 QStringLiteral("  Т масла\n     град."), Edit2, Memo4);

    // The small bar chart: a silver placeholder on the right axis, a grey series
    // never filled, and the value series with the current smoke value.
    chart4_ = new QChart();
    chart4_->setTitle(QStringLiteral("Дымн,%"));
    chart4_->legend()->hide();
    chart4_->setMargins(QMargins(0, 0, 0, 0));
    chart4_->layout()->setContentsMargins(0, 0, 0, 0);
    chart4_->setBackgroundRoundness(0);
    chart4Left_ = new QValueAxis(chart4_);
    chart4Right_ = new QValueAxis(chart4_);
    auto* across = new QBarCategoryAxis(chart4_);
    across->setVisible(false);
    chart4_->addAxis(across, Qt::AlignBottom);
    chart4_->addAxis(chart4Left_, Qt::AlignLeft);
    chart4_->addAxis(chart4Right_, Qt::AlignRight);
    for (QValueAxis* axis : {chart4Left_, chart4Right_}) {
        axis->setRange(0, 100);
        axis->setLabelFormat(QStringLiteral("%g"));
    }
    auto* placeholder = new QBarSeries(chart4_);
    auto* grey = new QBarSeries(chart4_);
    auto* value = new QBarSeries(chart4_);
    value->setObjectName("Series10");
    for (QBarSeries* bars : {placeholder, grey, value}) {
        chart4_->addSeries(bars);
        bars->attachAxis(across);
    }
    placeholder->attachAxis(chart4Right_);
    grey->attachAxis(chart4Left_);
    value->attachAxis(chart4Left_);
    chart4Value_ = new QBarSet(QString());
    chart4Value_->append(0.0);
    value->append(chart4Value_);
    chart4Foot_ = AddFoot(chart4_, QStringLiteral("00.0"));
    Chart4 = Named(new QChartView(chart4_, Panel4), "Chart4");

    Panel8 = MakePanel(Panel4, "Panel8");
    Edit3 = MakeValueBox(Panel8, "Edit3", QStringLiteral("00,0"), white, black);
    Memo5 = MakeCaptionBox(Panel8, "Memo5", QStringLiteral("Т кам"));
    Panel9 = MakePanel(Panel4, "Panel9");
    Edit4 = MakeValueBox(Panel9, "Edit4", QStringLiteral("00,0"), white, black);
    Memo6 = MakeCaptionBox(Panel9, "Memo6", QStringLiteral("Т о.с."));
}

void TForm1::BuildChartArea(QWidget* client) {
    Panel11 = MakePanel(client, "Panel11");
    Chart3 = Named(new QChartView(chart3View_.Chart(), Panel11), "Chart3");

    Panel12 = MakePanel(Panel11, "Panel12");
    Label4 = Named(new QLabel(QStringLiteral("Нормы:"), Panel12), "Label4");
    Edit6 = Named(new QLineEdit(Panel12), "Edit6");
    // The operator may type a norm here too; the report takes whatever it holds.
    Panel11->hide();

    Memo1 = Named(new QPlainTextEdit(client), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Lucida Console"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setBold(true);
    fixed.setPixelSize(15);
    Memo1->setFont(fixed);
    Memo1->hide();
}

void TForm1::BuildRecordingGroup(QWidget* client) {
    GroupBox12 =
        Named(new QGroupBox(QStringLiteral(" Запись данных в файл "), client), "GroupBox12");
    auto* grid = new QGridLayout(GroupBox12);
    grid->addWidget(new QLabel(QStringLiteral("Имя:"), GroupBox12), 0, 0);
    Edit14Z = Named(new QLineEdit(QStringLiteral("Kel"), GroupBox12), "Edit14Z");
    grid->addWidget(Edit14Z, 0, 1);
    BitBtn14Z = MakeButton(GroupBox12, "BitBtn14Z", QStringLiteral("Открыть"));
    grid->addWidget(BitBtn14Z, 0, 2);

    rowsBox = Named(new QGroupBox(QStringLiteral("          Записано данных       "), GroupBox12),
                    "GroupBox13");
    auto* rows = new QHBoxLayout(rowsBox);
    Label7Z = Named(new QLabel(QStringLiteral("0"), rowsBox), "Label7Z");
    rows->addWidget(Label7Z);
    grid->addWidget(rowsBox, 1, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Интервал записи, мс"), GroupBox12), 2, 0, 1, 2);
    ComboBox1Z = Named(new QComboBox(GroupBox12), "ComboBox1Z");
    ComboBox1Z->setEditable(true);
    ComboBox1Z->addItems({"100", "200", "300", "500", "600", "1000", "2000", "3000", "5000", "6000",
                          "10000", "30000", "60000", ""});
    grid->addWidget(ComboBox1Z, 2, 2);

    Edit15Z = Named(new QLineEdit(GroupBox12), "Edit15Z");
    grid->addWidget(Edit15Z, 3, 0, 1, 2);
    SpinEdit10Z = Named(new QSpinBox(GroupBox12), "SpinEdit10Z");
    SpinEdit10Z->setRange(0, 1000000);
    SpinEdit10Z->setValue(1);
    grid->addWidget(SpinEdit10Z, 3, 2);
    CheckBox3Z = Named(new QCheckBox(QStringLiteral("  1 точка"), GroupBox12), "CheckBox3Z");
    grid->addWidget(CheckBox3Z, 4, 0, 1, 2);
    BitBtn5Z = MakeButton(GroupBox12, "BitBtn5Z", QStringLiteral("Коммент."));
    grid->addWidget(BitBtn5Z, 4, 2);

    BitBtn1Z = MakeButton(GroupBox12, "BitBtn1Z", QStringLiteral(" Начать"));
    BitBtn4Z = MakeButton(GroupBox12, "BitBtn4Z", QStringLiteral(" Законч."));
    BitBtn2Z = MakeButton(GroupBox12, "BitBtn2Z", QStringLiteral(" Пауза"));
    BitBtn3Z = MakeButton(GroupBox12, "BitBtn3Z", QStringLiteral(" Продолж"));
    grid->addWidget(BitBtn1Z, 5, 0);  // " Законч." takes its place while a file is open
    grid->addWidget(BitBtn4Z, 5, 0);
    grid->addWidget(BitBtn2Z, 5, 2);  // " Продолж" takes its place during a pause
    grid->addWidget(BitBtn3Z, 5, 2);
    BitBtn4Z->hide();
    BitBtn3Z->hide();

    // Recording is not wired yet: the group shows its settings but takes no input.
    for (QWidget* w : GroupBox12->findChildren<QWidget*>()) w->setEnabled(false);
    GroupBox12->hide();
}

void TForm1::BuildRightColumn(QWidget* client) {
    Panel3 = MakePanel(client, "Panel3");
    Label3 = Named(new QLabel(QStringLiteral("ОТЧЕТ"), Panel3), "Label3");
    BitBtn7 = MakeButton(Panel3, "BitBtn7", QStringLiteral("Сохранить"));
    BitBtn6 = MakeButton(Panel3, "BitBtn6", QStringLiteral("Открыть"));
    BitBtn8 =
        MakeButton(Panel3, "BitBtn8", QStringLiteral("Стереть"), QStringLiteral("все результаты"));
    BitBtn9 = MakeButton(Panel3, "BitBtn9", QStringLiteral("Печать"));
    BitBtn10 = MakeButton(Panel3, "BitBtn10", QStringLiteral("Оформить"));
    BitBtn11 = MakeButton(Panel3, "BitBtn11", QStringLiteral("Нормы"));
    BitBtn12 = MakeButton(Panel3, "BitBtn12", QStringLiteral("Опции"));
    // Reports, norms and options come with their own parts of the program.
    for (QPushButton* b : {BitBtn7, BitBtn6, BitBtn9, BitBtn10, BitBtn11, BitBtn12})
        b->setEnabled(false);

    ListBox1 = Named(new QListWidget(Panel3), "ListBox1");
    ListBox1->addItems({QStringLiteral("Таблица"), QStringLiteral("График"),
                        QStringLiteral("Отчет"), QStringLiteral("Запись")});
    ListBox1->setToolTip(QStringLiteral("вид окна"));
    ListBox1->setToolTipDuration(kToolTipMs);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setTextElideMode(Qt::ElideNone);
}

void TForm1::BuildMenus() {
    N1 = Named(menuBar()->addMenu(QStringLiteral("Файл")), "N1");
    AddItem(N1, "N11", QStringLiteral("Открыть график"));
    AddItem(N1, "N12", QStringLiteral("Сохранить график"));
    AddItem(N1, "N13", QStringLiteral("Печать графика"));
    AddSeparator(N1, "N14");
    AddItem(N1, "N15", QStringLiteral("Открыть отчет"));
    AddItem(N1, "N16", QStringLiteral("Сохранить отчет"));
    AddItem(N1, "N17", QStringLiteral("Печать отчета"), Qt::Key_F10);
    AddSeparator(N1, "N18");
    AddItem(N1, "N19", QStringLiteral("Оформить"), Qt::Key_F11);
    AddSeparator(N1, "N34");
    AddItem(N1, "N33", QStringLiteral("Редактировать шаблон"));
    AddItem(N1, "N35", QStringLiteral("Редактировать нормы"));
    AddSeparator(N1, "N20");
    N21 = AddItem(N1, "N21", QStringLiteral("Выход"));

    N22 = Named(menuBar()->addMenu(QStringLiteral("Вид")), "N22");
    N23 = AddItem(N22, "N23", QStringLiteral("Таблица"), Qt::Key_F2);
    N24 = AddItem(N22, "N24", QStringLiteral("График"), Qt::Key_F3);
    N25 = AddItem(N22, "N25", QStringLiteral("Отчет"), Qt::Key_F4);
    N36 = AddItem(N22, "N36", QStringLiteral("Запись"));
    AddSeparator(N22, "N26");
    AddItem(N22, "N27", QStringLiteral("Опции"), Qt::Key_F5);

    N2 = Named(menuBar()->addMenu(QStringLiteral("Действия")), "N2");
    N8 = AddItem(N2, "N8", QStringLiteral("Связь"), Qt::Key_F12);
    N9 = AddItem(N2, "N9", QStringLiteral("Своб.ускорение"), Qt::Key_F6);
    N10 = AddItem(N2, "N10", QStringLiteral("Макс.обороты"), Qt::Key_F7);
    N28 = AddItem(N2, "N28", QStringLiteral("Устан.нуля"), Qt::Key_F8);
    AddSeparator(N2, "N29");
    N32 = AddItem(N2, "N32", QStringLiteral("Стереть результ."));
    AddSeparator(N2, "N30");
    AddItem(N2, "N31", QStringLiteral("Перекл.нормы"));

    N3 = Named(menuBar()->addMenu(QStringLiteral("Помощь")), "N3");
    AddItem(N3, "N4", QStringLiteral("Помощь"), Qt::Key_F1);
    AddItem(N3, "N5", QStringLiteral("О программе"));
    AddItem(N3, "N6", QStringLiteral("О продукции"));
    AddItem(N3, "N7", QStringLiteral("Лицензия"));

    // Items that press a button run exactly that button's action. The rest wait
    // for the parts of the program they belong to.
    for (QMenu* menu : {N1, N22, N2, N3})
        for (QAction* item : menu->actions())
            if (!item->isSeparator()) item->setEnabled(false);
    for (QAction* item : {N8, N9, N10, N28, N32, N23, N24, N25, N36, N21}) item->setEnabled(true);
    connect(N8, &QAction::triggered, BitBtn1, &QPushButton::click);
    connect(N9, &QAction::triggered, BitBtn4, &QPushButton::click);
    connect(N10, &QAction::triggered, BitBtn5, &QPushButton::click);
    connect(N28, &QAction::triggered, BitBtn2, &QPushButton::click);
    connect(N32, &QAction::triggered, BitBtn8, &QPushButton::click);
    connect(N21, &QAction::triggered, BitBtn3, &QPushButton::click);
    const std::array<QAction*, 4> views = {N23, N24, N25, N36};
    for (int i = 0; i < 4; ++i)
        connect(views[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { SelectViewIndex(i); });
}

}  // namespace kelvaron
