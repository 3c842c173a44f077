// The measurement chart's pictures: a real QChart built as the chart view builds
// its chart (six line series, value axes on three sides, turned sample labels, a
// two-line title, a legend, a foot on a strip), saved as EMF and BMP from its view.
#include "emf_reader.h"
#include "report/metafile/emf_paint_device.h"
#include "report/view/scene_picture.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <array>
#include <cmath>
#include <memory>

using kelvaron::EmfPaintDevice;
using kelvaron::PictureType;

namespace {

constexpr int kUnits = EmfPaintDevice::kUnitsPerPixel;
const QColor kBackground(0, 0, 64);
const QColor kText(Qt::white);
const QColor kFootColour(255, 255, 0);
const std::array<QColor, 6> kCurveColours = {QColor(255, 0, 0),   QColor(0, 255, 0),
                                             QColor(255, 255, 0), QColor(0, 255, 255),
                                             QColor(255, 0, 255), QColor(255, 128, 0)};
const QString kTitleFirst = QStringLiteral("ПТО №3 Kelvaron-Test");
const QString kTitleSecond = QStringLiteral("А123АА Иванов И.И.");
const QString kFoot = QStringLiteral(" Коэфф.ослабления , м-1,  Измерение  №   6  ");

// The chart as the measurement chart view builds it.
struct Chart {
    QChart* chart = nullptr;
    std::array<QLineSeries*, 6> curves{};
    QValueAxis* bottom = nullptr;
    QGraphicsSimpleTextItem* foot = nullptr;
};

Chart BuildChart() {
    Chart c;
    c.chart = new QChart();
    c.chart->setBackgroundRoundness(0);
    c.chart->setDropShadowEnabled(false);
    c.bottom = new QValueAxis(c.chart);
    c.bottom->setRange(0, 160);
    c.bottom->setLabelsAngle(-90);
    c.bottom->setLabelFormat(QStringLiteral("%d"));
    auto* left = new QValueAxis(c.chart);
    auto* right = new QValueAxis(c.chart);
    for (QValueAxis* axis : {left, right}) {
        axis->setRange(0, 10);
        axis->setLabelFormat(QStringLiteral("%g"));
    }
    c.chart->addAxis(c.bottom, Qt::AlignBottom);
    c.chart->addAxis(left, Qt::AlignLeft);
    c.chart->addAxis(right, Qt::AlignRight);
    for (int i = 0; i < 6; ++i) {
        auto* curve = new QLineSeries(c.chart);
        curve->setName(QStringLiteral("Измер.%1").arg(i + 1));
        c.chart->addSeries(curve);
        curve->attachAxis(c.bottom);
        curve->attachAxis(left);
        if (i == 1) curve->attachAxis(right);
        QPen pen = curve->pen();
        pen.setColor(kCurveColours[static_cast<size_t>(i)]);
        pen.setWidth(2);
        curve->setPen(pen);
        c.curves[static_cast<size_t>(i)] = curve;
    }
    c.chart->legend()->setAlignment(Qt::AlignLeft);
    c.chart->setTitle(kTitleFirst.toHtmlEscaped() + QStringLiteral("<br>") +
                      kTitleSecond.toHtmlEscaped());

    c.chart->setBackgroundBrush(kBackground);
    c.chart->setBackgroundPen(Qt::NoPen);
    c.chart->setTitleBrush(kText);
    c.chart->legend()->setLabelColor(kText);
    for (QAbstractAxis* axis : c.chart->axes()) {
        axis->setLabelsColor(kText);
        axis->setLinePenColor(kText);
        axis->setGridLineColor(QColor(128, 128, 160));
    }

    auto* strip = new QGraphicsRectItem(c.chart);
    strip->setPen(Qt::NoPen);
    strip->setBrush(QColor(212, 208, 200));
    c.foot = new QGraphicsSimpleTextItem(c.chart);
    QFont font = c.foot->font();
    font.setBold(true);
    c.foot->setFont(font);
    c.foot->setBrush(kFootColour);
    c.foot->setText(kFoot);
    c.chart->setMargins(QMargins(4, 4, 4, 60));
    QObject::connect(c.chart, &QGraphicsWidget::geometryChanged, c.chart, [c, strip] {
        const QSizeF size = c.chart->size();
        const qreal height = c.foot->boundingRect().height() + 6;
        strip->setRect(0, size.height() - height, size.width(), height);
        c.foot->setPos((size.width() - c.foot->boundingRect().width()) / 2,
                       size.height() - height + 3);
    });
    return c;
}

// The samples of curve n (0..5): a rising and falling run across part of the axis.
QList<QPointF> Samples(int n) {
    QList<QPointF> points;
    for (int k = 0; k <= 30; ++k) {
        const double x = 10 + n * 15 + k * 2;
        const double y = 1 + n + 2.5 * std::sin(k / 4.0) * (k % 2 ? 0.6 : 1.0);
        points.append(QPointF(x, std::clamp(y, 0.2, 9.8)));
    }
    return points;
}

QList<emftest::Shape> OfKind(const emftest::Picture& picture, emftest::Shape::Kind kind) {
    QList<emftest::Shape> shapes;
    for (const emftest::Shape& shape : picture.shapes)
        if (shape.kind == kind) shapes.append(shape);
    return shapes;
}

}  // namespace

class ChartPictureTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emfHoldsTheSixCurvesInTheirColours();
    void emfHoldsTheTitleLegendLabelsAndFoot();
    void emfFrameIsTheViewAndStartsWithTheBackground();
    void curvesBeyondTheAxesAreCutAtThePlotArea();
    void bmpIsTheViewAsShown();
    void chartOutsideAnyViewKeepsItsBackground();

private:
    emftest::Picture SaveEmf(emftest::File* file = nullptr);

    std::unique_ptr<QChartView> view_;
    Chart chart_;
    QTemporaryDir dir_;
};

void ChartPictureTest::init() {
    chart_ = BuildChart();
    for (int n = 0; n < 6; ++n) chart_.curves[static_cast<size_t>(n)]->append(Samples(n));
    view_ = std::make_unique<QChartView>(chart_.chart);
    view_->resize(900, 560);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QCoreApplication::processEvents();
}

void ChartPictureTest::cleanup() { view_.reset(); }

emftest::Picture ChartPictureTest::SaveEmf(emftest::File* file) {
    const QString path = dir_.filePath(QStringLiteral("chart.emf"));
    if (!kelvaron::WriteViewPicture(path, PictureType::Emf, *view_)) return {};
    QFile saved(path);
    if (!saved.open(QIODevice::ReadOnly)) return {};
    const emftest::File parsed = emftest::Parse(saved.readAll());
    if (file != nullptr) *file = parsed;
    return emftest::Play(parsed);
}

void ChartPictureTest::emfHoldsTheSixCurvesInTheirColours() {
    const emftest::Picture picture = SaveEmf();
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    const QList<emftest::Shape> lines = OfKind(picture, emftest::Shape::Polyline);
    for (int n = 0; n < 6; ++n) {
        const QColor colour = kCurveColours[static_cast<size_t>(n)];
        QList<emftest::Shape> curves;
        for (const emftest::Shape& line : lines)
            if (line.pen.color == colour && !line.pen.null) curves.append(line);
        QVERIFY2(
            curves.size() == 1,
            qPrintable(
                QStringLiteral("curve %1: %2 lines in its colour").arg(n + 1).arg(curves.size())));
        const emftest::Shape& curve = curves[0];
        QCOMPARE(curve.pen.width, 2 * kUnits);
        const QList<QPointF> samples = Samples(n);
        const QPolygon& points = curve.points[0];
        QCOMPARE(points.size(), samples.size());
        QLineSeries* series = chart_.curves[static_cast<size_t>(n)];
        for (qsizetype k = 0; k < samples.size(); ++k) {
            // Sample -> the chart's plot area -> the scene -> the view's pixels.
            const QPointF inChart = chart_.chart->mapToPosition(samples[k], series);
            const QPointF inView =
                view_->viewportTransform().map(chart_.chart->mapToScene(inChart));
            const QPointF inFile = QPointF(points[k]) / kUnits;
            QVERIFY2(std::hypot(inFile.x() - inView.x(), inFile.y() - inView.y()) <= 1.0,
                     qPrintable(QStringLiteral("curve %1 sample %2 at %3,%4 not %5,%6")
                                    .arg(n + 1)
                                    .arg(k)
                                    .arg(inFile.x())
                                    .arg(inFile.y())
                                    .arg(inView.x())
                                    .arg(inView.y())));
        }
    }
}

void ChartPictureTest::emfHoldsTheTitleLegendLabelsAndFoot() {
    const emftest::Picture picture = SaveEmf();
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    const QList<emftest::Shape> texts = OfKind(picture, emftest::Shape::Text);
    const auto find = [&](const QString& text) -> const emftest::Shape* {
        for (const emftest::Shape& shape : texts)
            if (shape.text.trimmed() == text.trimmed()) return &shape;
        return nullptr;
    };
    QStringList all;
    for (const emftest::Shape& shape : texts) all << shape.text;

    for (const QString& line : {kTitleFirst, kTitleSecond}) {
        const emftest::Shape* title = find(line);
        QVERIFY2(title != nullptr,
                 qPrintable(line + QStringLiteral(" not among: ") + all.join('|')));
        QCOMPARE(title->textColor, kText);
        QCOMPARE(title->font.escapement, 0);
        QCOMPARE(title->record, static_cast<uint32_t>(emftest::kExtTextOutW));
    }
    for (int n = 1; n <= 6; ++n) {
        const emftest::Shape* legend = find(QStringLiteral("Измер.%1").arg(n));
        QVERIFY2(legend != nullptr, qPrintable(all.join('|')));
        QCOMPARE(legend->font.escapement, 0);
    }
    // The sample labels read upwards: counter-clockwise 90 degrees.
    const emftest::Shape* label = find(QStringLiteral("160"));
    QVERIFY2(label != nullptr, qPrintable(all.join('|')));
    QCOMPARE(label->font.escapement, 900);
    QCOMPARE(label->textColor, kText);

    const emftest::Shape* foot = find(kFoot);
    QVERIFY2(foot != nullptr, qPrintable(all.join('|')));
    QCOMPARE(foot->font.weight, 700);
    QCOMPARE(foot->textColor, kFootColour);
    const QFontInfo footFont(chart_.foot->font());
    QCOMPARE(foot->font.height, -footFont.pixelSize() * kUnits);
}

void ChartPictureTest::emfFrameIsTheViewAndStartsWithTheBackground() {
    const QSize size = kelvaron::ViewPictureSize(*view_);
    QCOMPARE(size, view_->viewport()->size());
    emftest::File file;
    const emftest::Picture picture = SaveEmf(&file);
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(file.frame.right(), static_cast<int>(std::lround(size.width() * 2540.0 / 96)));
    QCOMPARE(file.frame.bottom(), static_cast<int>(std::lround(size.height() * 2540.0 / 96)));
    QCOMPARE(picture.windowExtent, size * kUnits);
    QCOMPARE(file.records.last().type, static_cast<uint32_t>(emftest::kEof));

    // The chart's background lies under everything drawn on it. (The chart's layout
    // keeps a margin of a few pixels where the view's own background shows.)
    const emftest::Shape* background = nullptr;
    for (const emftest::Shape& shape : picture.shapes) {
        if (shape.kind == emftest::Shape::Polyline || shape.kind == emftest::Shape::Text) break;
        if (!shape.brush.null && shape.brush.color == kBackground) background = &shape;
    }
    QVERIFY(background != nullptr);
    const QRectF covered = QRectF(background->points[0].boundingRect()).adjusted(0, 0, 1, 1);
    const QRectF shown(covered.topLeft() / kUnits, covered.size() / kUnits);
    QVERIFY(shown.width() >= 0.95 * size.width());
    QVERIFY(shown.height() >= 0.95 * size.height());
    const QRectF plot =
        view_->viewportTransform().mapRect(chart_.chart->mapRectToScene(chart_.chart->plotArea()));
    QVERIFY(shown.contains(plot));

    // Nothing of the chart is a bitmap.
    EmfPaintDevice device(size);
    QPainter painter(&device);
    kelvaron::PaintView(painter, *view_);
    painter.end();
    QCOMPARE(device.SkippedImages(), 0);
}

void ChartPictureTest::curvesBeyondTheAxesAreCutAtThePlotArea() {
    QLineSeries* curve = chart_.curves[0];
    curve->clear();
    curve->append({{0, 2}, {20, 14}, {40, 3}, {60, -5}, {80, 4}, {200, 4}});
    QCoreApplication::processEvents();
    const emftest::Picture picture = SaveEmf();
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    const QRectF plot = view_->viewportTransform()
                            .mapRect(chart_.chart->mapRectToScene(chart_.chart->plotArea()))
                            .adjusted(-1, -1, 1, 1);
    int pieces = 0;
    for (const emftest::Shape& line : OfKind(picture, emftest::Shape::Polyline)) {
        if (line.pen.color != kCurveColours[0]) continue;
        ++pieces;
        for (const QPoint& p : line.points[0])
            QVERIFY2(plot.contains(QPointF(p) / kUnits),
                     qPrintable(QStringLiteral("%1,%2 outside the plot area")
                                    .arg(p.x() / double(kUnits))
                                    .arg(p.y() / double(kUnits))));
    }
    // Leaving at the top and at the bottom cuts the curve in three.
    QCOMPARE(pieces, 3);
}

void ChartPictureTest::bmpIsTheViewAsShown() {
    const QString path = dir_.filePath(QStringLiteral("chart.bmp"));
    QVERIFY(kelvaron::WriteViewPicture(path, PictureType::Bmp, *view_));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(2) == "BM");
    file.close();
    const QImage image(path, "BMP");
    QCOMPARE(image.size(), view_->viewport()->size());

    // An empty spot of the plot area, above every curve, shows the background.
    const QRectF plot =
        view_->viewportTransform().mapRect(chart_.chart->mapRectToScene(chart_.chart->plotArea()));
    const QPoint empty = (plot.topLeft() + QPointF(plot.width() / 8, plot.height() / 8)).toPoint();
    QCOMPARE(image.pixelColor(empty), kBackground);

    // Pixel for pixel what the screen shows.
    const QImage screen = view_->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(screen.size(), image.size());
    qint64 differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != screen.pixel(x, y)) ++differing;
    QVERIFY2(differing <= image.width() * image.height() / 100,
             qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
}

void ChartPictureTest::chartOutsideAnyViewKeepsItsBackground() {
    Chart lone = BuildChart();
    QGraphicsScene scene;
    scene.addItem(lone.chart);
    lone.chart->resize(400, 300);
    const QRectF source = lone.chart->sceneBoundingRect();
    const QImage image = kelvaron::RasterPicture(QSize(400, 300), [&](QPainter& painter) {
        kelvaron::PaintScene(painter, scene, source, QRectF(0, 0, 400, 300));
    });
    const QRectF plot = lone.chart->plotArea();
    QCOMPARE(
        image.pixelColor((plot.topLeft() + QPointF(plot.width() / 8, plot.height() / 8)).toPoint()),
        kBackground);
    QCOMPARE(image.pixelColor(
                 (plot.bottomRight() - QPointF(plot.width() / 8, plot.height() / 8)).toPoint()),
             kBackground);
}

QTEST_MAIN(ChartPictureTest)
#include "test_chart_picture.moc"
