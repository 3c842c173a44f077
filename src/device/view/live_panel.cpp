#include "device/view/live_panel.h"

#include "base/app_settings.h"
#include "base/colors.h"
#include "base/layout.h"
#include "base/text_fit.h"
#include "base/view/widget_kit.h"
#include "device/view/bar_chart.h"
#include "device/view/frame_pacer.h"
#include "device/view/value_box.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvaron {

namespace {

void SetColors(QWidget* box, const QColor& text, const QColor& back) {
    QPalette p = box->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, back);
    box->setPalette(p);
}

ValueBox* MakeValueBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = Named(new ValueBox(text, parent), name);
    SetColors(box, QColor(0xFF, 0xFF, 0x00), Qt::black);
    return box;
}

// A read-only box of two caption lines beside a value box.
QPlainTextEdit* MakeCaptionBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = Named(new QPlainTextEdit(text, parent), name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setAccessibleName(text);
    SetColors(box, Qt::black, QColor(0xC0, 0xDC, 0xC0));
    return box;
}

// The widest texts each large box shows: its font is the largest that holds each
// of them. The blanks after "   >>   " may fall outside the box.
const std::array<QStringList, 4> kWidestTexts = {
    QStringList{QStringLiteral("00,00"), QStringLiteral("   >>")},
    QStringList{QStringLiteral("100,0")}, QStringList{QStringLiteral("0000")},
    QStringList{QStringLiteral("-00,0"), QStringLiteral("000,0")}};

// Places `box` and gives it the largest font, up to `points`, at which its text
// fits inside its frame: each of `texts` alone (a value box), or all of `lines`
// one under the other (a caption box).
void PlaceFitted(QWidget* box, const QRect& rect, int points, const QStringList& texts,
                 int frameAllowance, bool stacked) {
    box->setGeometry(rect);
    QFont font = box->font();
    const QSize room(rect.width() - frameAllowance, rect.height() - frameAllowance);
    font.setPointSize(stacked ? FitPointSize(font, texts, room, points)
                              : FitPointSizeForEach(font, texts, room, points));
    box->setFont(font);
}

}  // namespace

LivePanel::LivePanel(QWidget* parent) : QFrame(parent) {
    setObjectName("Panel4");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    const auto row = [this](const char* panel, const char* value, const QString& digits,
                            const char* caption, const QString& captionText, ValueBox*& valueBox,
                            QPlainTextEdit*& captionBox) {
        QFrame* p = MakePanel(this, panel);
        valueBox = MakeValueBox(p, value, digits);
        captionBox = MakeCaptionBox(p, caption, captionText);
        return p;
    };
    kPanel = row("Panel10", "Edit5", QStringLiteral("00,0"), "Memo7",
                 QStringLiteral("Коэфф.осл.\n    К ,  м-1"), kValueBox, kCaption);
    nPanel = row("Panel5", "Edit8", QStringLiteral("00,0"), "Memo3",
                 QStringLiteral(" Дымность\n    N ,   %"), nValueBox, nCaption);
    rpmPanel = row("Panel6", "Edit1", QStringLiteral("0000"), "Memo2",
                   QStringLiteral("        F\n  об / мин"), rpmValueBox, rpmCaption);
    oilPanel = row("Panel7", "Edit2", QStringLiteral("000,0"), "Memo4",
                   QStringLiteral("  Т масла\n     град."), oilValueBox, oilCaption);

    barChart = Named(new SmokeBarChart(this), "Chart4");
    barChart->SetTitle(QStringLiteral("Дымн,%"));
    barChart->SetMaximum(100);
    // The placeholder bar of the start: value 0, labelled with six spaces.
    barChart->SetBar(0, QStringLiteral("      "));
    barChart->SetFoot(QStringLiteral("00.0"));

    chamberPanel = MakePanel(this, "Panel8");
    chamberValueBox = MakeValueBox(chamberPanel, "Edit3", QStringLiteral("00,0"));
    SetColors(chamberValueBox, Qt::white, Qt::black);
    chamberCaption = MakeCaptionBox(chamberPanel, "Memo5", QStringLiteral("Т кам"));
    ambientPanel = MakePanel(this, "Panel9");
    ambientValueBox = MakeValueBox(ambientPanel, "Edit4", QStringLiteral("00,0"));
    SetColors(ambientValueBox, Qt::white, Qt::black);
    ambientCaption = MakeCaptionBox(ambientPanel, "Memo6", QStringLiteral("Т о.с."));

    boxProbe_ = new QLineEdit(this);
    boxProbe_->hide();
    for (QString* text : {&shown_.k, &shown_.n, &shown_.chamber, &shown_.ambient})
        *text = QStringLiteral("00,0");
    shown_.rpm = QStringLiteral("0000");
    shown_.oil = QStringLiteral("000,0");

    // The readings may change every tick; the screen follows them frame by frame.
    pacer = new FramePacer(this);
    for (ValueBox* box : ValueBoxes()) box->SetPacer(pacer);
    for (ValueBox* box : {chamberValueBox, ambientValueBox}) box->SetPacer(pacer);
    barChart->SetPacer(pacer);
}

void LivePanel::Show(const LiveTexts& texts) {
    shown_ = texts;
    barChart->SetFoot(texts.barFoot);
    barChart->SetBar(texts.barValue, texts.barLabel);
    kValueBox->setText(texts.k);
    nValueBox->setText(texts.n);
    rpmValueBox->setText(texts.rpm);
    oilValueBox->setText(texts.oil);
    chamberValueBox->setText(texts.chamber);
    ambientValueBox->setText(texts.ambient);
    pacer->Present();
}

int LivePanel::BoxHeightFor(int points) const {
    QFont font = kValueBox->font();
    font.setPointSize(points);
    boxProbe_->setFont(font);
    return boxProbe_->sizeHint().height();
}

void LivePanel::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.panel4);
    const std::array<QFrame*, 4> rows = {kPanel, nPanel, rpmPanel, oilPanel};
    // A box's frame and the margins inside it take this much of its size; a
    // caption box also keeps a document margin on each side.
    const int frame = 8;
    const int kCaptionFrame = 14;
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i]->setGeometry(l.rows[i]);
        PlaceFitted(ValueBoxes()[i], l.rowBoxes.value, l.valueFont, kWidestTexts[i], frame, false);
        PlaceFitted(Captions()[i], l.rowBoxes.caption, l.captionFont,
                    Captions()[i]->toPlainText().split(QLatin1Char('\n')), kCaptionFrame, true);
    }
    barChart->setGeometry(l.chart4);
    barChart->SetFontSizes(l.chart4TitleFont, l.chart4FootFont, l.chart4LeftAxisFont);
    chamberPanel->setGeometry(l.panel8);
    ambientPanel->setGeometry(l.panel9);
    for (ValueBox* box : {chamberValueBox, ambientValueBox})
        PlaceFitted(box, l.tempBoxes.value, l.tempValueFont, {QStringLiteral("-00,0")}, frame,
                    false);
    for (QPlainTextEdit* box : {chamberCaption, ambientCaption})
        PlaceFitted(box, l.tempBoxes.caption, l.tempCaptionFont, {box->toPlainText()},
                    kCaptionFrame, true);
}

void LivePanel::ApplyQuantity(bool plotN) {
    barChart->SetTitle(plotN ? QStringLiteral("N,%") : QStringLiteral("K,м-1"));
    barChart->SetMaximum(plotN ? 100 : 10);
}

void LivePanel::ApplyColors(const AppSettings& s) {
    SetColors(kValueBox, ColorFromRef(s.kFontColor()), ColorFromRef(s.kBackColor()));
    SetColors(nValueBox, ColorFromRef(s.nFontColor()), ColorFromRef(s.nBackColor()));
    SetColors(rpmValueBox, ColorFromRef(s.rpmFontColor()), ColorFromRef(s.rpmBackColor()));
    SetColors(oilValueBox, ColorFromRef(s.oilFontColor()), ColorFromRef(s.oilBackColor()));
    for (QPlainTextEdit* caption : Captions())
        SetColors(caption, ColorFromRef(s.captionFontColor()), ColorFromRef(s.captionBackColor()));
}

}  // namespace kelvaron
