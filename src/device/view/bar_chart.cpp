#include "device/view/bar_chart.h"

#include "base/text_fit.h"
#include "base/view/widget_kit.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {

constexpr int kGap = 2;  // pixels between the parts and around the edge
constexpr int kTick = 3;

QString Number(double v) { return QString::number(v, 'g', 4); }

}  // namespace

SmokeBarChart::SmokeBarChart(QWidget* parent) : QWidget(parent), barColor_(0xD0, 0x20, 0x20) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Arrange();
}

void SmokeBarChart::SetTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    setAccessibleName(title);
    Arrange();
    update();
}

void SmokeBarChart::SetMaximum(double maximum) {
    if (maximum <= 0 || maximum == maximum_) return;
    maximum_ = maximum;
    Arrange();
    update();
}

void SmokeBarChart::SetBar(double value, const QString& label) {
    label_ = label;
    // Only the rows between the old top and the new one change.
    const int from = BarTop(value_);
    const int to = BarTop(value);
    value_ = value;
    const QRect bar = BarRect();
    if (from != to)
        PacedUpdate(pacer_, this,
                    QRect(bar.left(), std::min(from, to), bar.width(), std::abs(from - to)));
}

void SmokeBarChart::SetFoot(const QString& foot) {
    if (foot == foot_) return;
    // Only the old text's place and the new one's are repainted.
    const QRect before = FootTextRect();
    foot_ = foot;
    setAccessibleDescription(foot);
    PacedUpdate(pacer_, this, QRegion(before | FootTextRect()) & g_.foot);
}

QRect SmokeBarChart::FootTextRect() {
    footGlyphs_.Use(g_.footFont, Qt::black, devicePixelRatioF());
    const qreal width = footGlyphs_.Advance(foot_);
    const qreal x = FootTextLeft(width);
    const int left = static_cast<int>(std::floor(x - footGlyphs_.Pad()));
    const int right = static_cast<int>(std::ceil(x + width + footGlyphs_.Pad()));
    return QRect(left, g_.foot.top(), right - left, g_.foot.height());
}

qreal SmokeBarChart::FootTextLeft(qreal width) const {
    return g_.foot.left() + (g_.foot.width() - width) / 2;
}

void SmokeBarChart::SetFontSizes(int titlePoints, int footPoints, int axisPoints) {
    titlePoints_ = std::max(1, titlePoints);
    footPoints_ = std::max(1, footPoints);
    axisPoints_ = std::max(1, axisPoints);
    Arrange();
    update();
}

QRect SmokeBarChart::PlotRect() const { return g_.plot; }
QRect SmokeBarChart::FootRect() const { return g_.foot; }

QRect SmokeBarChart::BarRect() const {
    const QRect plot = g_.plot;
    const int width = std::max(1, plot.width() * 3 / 5);
    const int top = BarTop(value_);
    return QRect(plot.left() + (plot.width() - width) / 2, top, width, plot.bottom() + 1 - top);
}

int SmokeBarChart::BarTop(double value) const {
    const double shown = std::clamp(value, 0.0, maximum_);
    return g_.plot.bottom() + 1 -
           static_cast<int>(std::lround(shown / maximum_ * g_.plot.height()));
}

double SmokeBarChart::TickStep() const {
    // The finest of 1, 2, 5 times a power of ten that leaves room between labels.
    const int labelHeight = QFontMetrics(g_.axisFont).height();
    const int room = std::max(1, g_.plot.height());
    const int most = std::max(1, room / (2 * labelHeight));
    const double raw = maximum_ / most;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

void SmokeBarChart::resizeEvent(QResizeEvent*) { Arrange(); }

void SmokeBarChart::Arrange() {
    const QRect all = rect().adjusted(kGap, kGap, -kGap, -kGap);
    QFont base = font();
    base.setBold(true);
    // Title and foot take the largest size that fits the width, no more than asked.
    g_.titleFont = base;
    g_.titleFont.setPointSize(FitPointSize(base,
                                           {title_.isEmpty() ? QStringLiteral("N,%") : title_},
                                           QSize(all.width(), all.height() / 5), titlePoints_));
    g_.footFont = base;
    g_.footFont.setPointSize(FitPointSize(base, {QStringLiteral("00,00")},
                                          QSize(all.width(), all.height() / 5), footPoints_));
    const int titleHeight = QFontMetrics(g_.titleFont).height();
    const int footHeight = QFontMetrics(g_.footFont).height();
    g_.title = QRect(all.left(), all.top(), all.width(), titleHeight);
    g_.foot = QRect(all.left(), all.bottom() + 1 - footHeight, all.width(), footHeight);

    // The scale labels share the width with the bar: each side gets at most a
    // third, and the labels shrink to fit it.
    g_.axisFont = font();
    g_.axisFont.setBold(false);
    const QString widest = Number(maximum_);
    const int sideRoom = std::max(1, all.width() / 3 - kTick - kGap);
    g_.axisFont.setPointSize(
        FitPointSize(g_.axisFont, {widest}, QSize(sideRoom, all.height()), axisPoints_));
    const QFontMetrics axis(g_.axisFont);
    const int side = axis.horizontalAdvance(widest) + kTick + kGap;
    // Half a label above the top mark and below the 0 mark, so no label is cut
    // and the foot never covers the "0".
    const int half = axis.height() / 2 + 1;
    const int top = g_.title.bottom() + 1 + kGap + half;
    const int bottom = g_.foot.top() - kGap - half;
    g_.plot =
        QRect(QPoint(all.left() + side, top), QPoint(all.right() - side, std::max(top, bottom)));
    still_ = QPixmap();
}

void SmokeBarChart::DrawStill(QPainter& p) const {
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QColor ink(0, 0, 0);
    p.setFont(g_.titleFont);
    p.setPen(ink);
    p.drawText(g_.title, Qt::AlignCenter, title_);

    // Plot area, grid and both scales.
    p.fillRect(g_.plot, Qt::white);
    const QFontMetrics axis(g_.axisFont);
    p.setFont(g_.axisFont);
    const double step = TickStep();
    for (double v = 0; v <= maximum_ + step / 1000; v += step) {
        const int y = BarTop(v);
        p.setPen(QColor(0xC8, 0xC8, 0xC8));
        if (v > 0 && v < maximum_) p.drawLine(g_.plot.left(), y, g_.plot.right(), y);
        p.setPen(ink);
        p.drawLine(g_.plot.left() - kTick, y, g_.plot.left() - 1, y);
        p.drawLine(g_.plot.right() + 1, y, g_.plot.right() + kTick, y);
        const QString label = Number(v);
        const int w = axis.horizontalAdvance(label);
        const int baseline = y + axis.ascent() / 2 - 1;
        p.drawText(g_.plot.left() - kTick - 1 - w, baseline, label);
        p.drawText(g_.plot.right() + kTick + 2, baseline, label);
    }
}

void SmokeBarChart::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    if (still_.isNull() || still_.size() != size() * ratio) {
        still_ = QPixmap(size() * ratio);
        still_.setDevicePixelRatio(ratio);
        QPainter still(&still_);
        DrawStill(still);
    }
    // Only the parts to repaint (the rows the bar's top moved over, the foot's
    // text), each on its own and in bands, so the rows between them cost nothing.
    footGlyphs_.Use(g_.footFont, Qt::black, ratio);
    const qreal footWidth = footGlyphs_.Advance(foot_);
    const qreal footTop = g_.foot.top() + (g_.foot.height() - footGlyphs_.Height()) / 2;
    for (const QRect& area : event->region()) {
        PaintInBands(p, area, [&] {
            p.drawPixmap(area, still_,
                         QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
            p.fillRect(BarRect(), barColor_);
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(g_.plot.adjusted(0, 0, -1, -1));
            if (area.intersects(g_.foot))
                footGlyphs_.Draw(p, FootTextLeft(footWidth), footTop, foot_);
        });
    }
}

}  // namespace kelvaron
