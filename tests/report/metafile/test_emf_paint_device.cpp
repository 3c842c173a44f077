// The EMF paint device: what each painter operation becomes in the file, read
// back with the tests' own record reader.
#include "emf_reader.h"
#include "report/metafile/emf_paint_device.h"
#include "report/metafile/picture_files.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTest>

#include <cmath>
#include <functional>

using kelvaron::EmfPaintDevice;
using kelvaron::EmfPictureBytes;

namespace {

constexpr int kUnits = EmfPaintDevice::kUnitsPerPixel;

struct Drawn {
    QByteArray bytes;
    emftest::File file;
    emftest::Picture picture;
};

Drawn Draw(QSize size, const std::function<void(QPainter&)>& paint) {
    Drawn drawn;
    drawn.bytes = EmfPictureBytes(size, paint);
    drawn.file = emftest::Parse(drawn.bytes);
    drawn.picture = emftest::Play(drawn.file);
    return drawn;
}

QList<emftest::Shape> OfKind(const emftest::Picture& picture, emftest::Shape::Kind kind) {
    QList<emftest::Shape> shapes;
    for (const emftest::Shape& shape : picture.shapes)
        if (shape.kind == kind) shapes.append(shape);
    return shapes;
}

QPoint Logical(const QPointF& pixels) {
    return QPoint(static_cast<int>(std::lround(pixels.x() * kUnits)),
                  static_cast<int>(std::lround(pixels.y() * kUnits)));
}

QPolygon Logical(const QList<QPointF>& pixels) {
    QPolygon polygon;
    for (const QPointF& p : pixels) polygon << Logical(p);
    return polygon;
}

QString Describe(const QPolygon& polygon) {
    QStringList parts;
    for (const QPoint& p : polygon) parts << QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y());
    return parts.join(QLatin1Char(' '));
}

}  // namespace

class EmfPaintDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void headerDescribesThePicture_data();
    void headerDescribesThePicture();
    void connectedSegmentsBecomeOnePolyline();
    void penWidthAndStyleFollowThePainter_data();
    void penWidthAndStyleFollowThePainter();
    void transformMovesAndTurnsCoordinates();
    void shapesAreFilledWithTheBrushColour_data();
    void shapesAreFilledWithTheBrushColour();
    void pathsAreFlattenedIntoPolygons();
    void clippingCutsWhatLiesOutside();
    void textKeepsItsFontColourAndTurn_data();
    void textKeepsItsFontColourAndTurn();
    void imagesAreLeftOutAndCounted();
    void finishWhilePaintingGivesNoFile();
};

void EmfPaintDeviceTest::headerDescribesThePicture_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("chart") << QSize(900, 560);
    QTest::newRow("one pixel") << QSize(1, 1);
    // Beyond 2184 pixels the coordinates no longer fit the 16-bit records.
    QTest::newRow("wide") << QSize(2600, 300);
}

void EmfPaintDeviceTest::headerDescribesThePicture() {
    QFETCH(QSize, size);
    const Drawn drawn = Draw(size, [&](QPainter& painter) {
        painter.setPen(QPen(Qt::red, 0));
        painter.drawLine(QPointF(0, 0), QPointF(size.width(), size.height()));
    });
    const emftest::File& file = drawn.file;
    QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
    QCOMPARE(file.headerType, 1u);
    QCOMPARE(drawn.bytes.mid(40, 4), QByteArray(" EMF"));
    QCOMPARE(file.signature, 0x464D4520u);
    QCOMPARE(static_cast<qsizetype>(file.declaredBytes), drawn.bytes.size());
    QCOMPARE(static_cast<qsizetype>(file.declaredRecords), file.records.size());
    QCOMPARE(file.records.first().type, static_cast<uint32_t>(emftest::kHeader));
    QCOMPARE(file.records.last().type, static_cast<uint32_t>(emftest::kEof));

    // The frame is the picture's size at 96 dpi, in hundredths of a millimetre.
    const int frameRight = static_cast<int>(std::lround(size.width() * 2540.0 / 96));
    const int frameBottom = static_cast<int>(std::lround(size.height() * 2540.0 / 96));
    QCOMPARE(file.frame.topLeft(), QPoint(0, 0));
    QCOMPARE(file.frame.right(), frameRight);
    QCOMPARE(file.frame.bottom(), frameBottom);
    // The bounds are the frame in the reference device's pixels.
    QVERIFY(file.devicePixels.width() > 0 && file.deviceMillimetres.width() > 0);
    const double pixelsPerMmX = double(file.devicePixels.width()) / file.deviceMillimetres.width();
    const double pixelsPerMmY =
        double(file.devicePixels.height()) / file.deviceMillimetres.height();
    QCOMPARE(file.bounds.topLeft(), QPoint(0, 0));
    QVERIFY(std::abs(file.bounds.right() - frameRight / 100.0 * pixelsPerMmX) <= 1);
    QVERIFY(std::abs(file.bounds.bottom() - frameBottom / 100.0 * pixelsPerMmY) <= 1);

    // Logical units: kUnits per pixel over the whole frame.
    const emftest::Picture& picture = drawn.picture;
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.mapMode, 8);  // MM_ANISOTROPIC
    QCOMPARE(picture.windowExtent, size * kUnits);
    QVERIFY(std::abs(picture.viewportExtent.width() - frameRight / 100.0 * pixelsPerMmX) <= 1);
    QVERIFY(std::abs(picture.viewportExtent.height() - frameBottom / 100.0 * pixelsPerMmY) <= 1);

    const QList<emftest::Shape> lines = OfKind(picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].points[0],
             QPolygon() << QPoint(0, 0) << QPoint(size.width() * kUnits, size.height() * kUnits));
    QCOMPARE(lines[0].pen.color, QColor(Qt::red));
}

void EmfPaintDeviceTest::connectedSegmentsBecomeOnePolyline() {
    // A line chart draws its curve segment by segment.
    const QList<QPointF> first = {{10, 100}, {20.5, 80.25}, {30, 90}, {40, 20}, {50, 60}};
    const QList<QPointF> second = {{50, 60}, {60, 10}, {70, 70}};
    const QList<QPointF> apart = {{100, 100}, {120, 120}};
    const Drawn drawn = Draw(QSize(200, 150), [&](QPainter& painter) {
        painter.setPen(QPen(QColor(0, 128, 255), 2));
        for (qsizetype i = 1; i < first.size(); ++i) painter.drawLine(first[i - 1], first[i]);
        // Going on from the same end with another colour starts another line.
        painter.setPen(QPen(QColor(200, 0, 0), 2));
        for (qsizetype i = 1; i < second.size(); ++i) painter.drawLine(second[i - 1], second[i]);
        // So does a segment that does not start where the last one ended.
        painter.drawLine(apart[0], apart[1]);
    });
    QVERIFY2(drawn.picture.error.isEmpty(), qPrintable(drawn.picture.error));
    const QList<emftest::Shape> lines = OfKind(drawn.picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(Describe(lines[0].points[0]), Describe(Logical(first)));
    QCOMPARE(lines[0].pen.color, QColor(0, 128, 255));
    QCOMPARE(Describe(lines[1].points[0]), Describe(Logical(second)));
    QCOMPARE(lines[1].pen.color, QColor(200, 0, 0));
    QCOMPARE(Describe(lines[2].points[0]), Describe(Logical(apart)));
}

void EmfPaintDeviceTest::penWidthAndStyleFollowThePainter_data() {
    QTest::addColumn<qreal>("width");
    QTest::addColumn<bool>("cosmetic");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<uint>("expectedStyle");  // the low bits of the GDI pen style
    QTest::newRow("hairline") << 0.0 << false << 2.0 << int(Qt::SolidLine) << kUnits << 0u;
    QTest::newRow("one pixel") << 1.0 << false << 1.0 << int(Qt::SolidLine) << kUnits << 0u;
    QTest::newRow("two pixels scaled twice")
        << 2.0 << false << 2.0 << int(Qt::SolidLine) << 4 * kUnits << 0u;
    QTest::newRow("cosmetic three scaled twice")
        << 3.0 << true << 2.0 << int(Qt::SolidLine) << 3 * kUnits << 0u;
    QTest::newRow("dashes") << 1.0 << false << 1.0 << int(Qt::DashLine) << kUnits << 1u;
    QTest::newRow("dots") << 1.0 << false << 1.0 << int(Qt::DotLine) << kUnits << 2u;
}

void EmfPaintDeviceTest::penWidthAndStyleFollowThePainter() {
    QFETCH(qreal, width);
    QFETCH(bool, cosmetic);
    QFETCH(qreal, scale);
    QFETCH(int, style);
    QFETCH(int, expectedWidth);
    QFETCH(uint, expectedStyle);
    const Drawn drawn = Draw(QSize(100, 100), [&](QPainter& painter) {
        QPen pen(QColor(10, 20, 30), width, static_cast<Qt::PenStyle>(style));
        pen.setCosmetic(cosmetic);
        painter.setPen(pen);
        painter.scale(scale, scale);
        painter.drawLine(QPointF(1, 1), QPointF(20, 30));
    });
    const QList<emftest::Shape> lines = OfKind(drawn.picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].pen.width, expectedWidth);
    QCOMPARE(lines[0].pen.style & 0xFu, expectedStyle);
    QCOMPARE(lines[0].pen.color, QColor(10, 20, 30));
    QCOMPARE(lines[0].points[0].last(), Logical(QPointF(20, 30) * scale));
}

void EmfPaintDeviceTest::transformMovesAndTurnsCoordinates() {
    QTransform transform;
    const QList<QPointF> points = {{0, 0}, {10, 0}, {10, 20.5}};
    const Drawn drawn = Draw(QSize(200, 200), [&](QPainter& painter) {
        painter.translate(100, 50);
        painter.rotate(30);
        painter.scale(1.5, 1.5);
        transform = painter.worldTransform();
        painter.setPen(QPen(Qt::black, 0));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    });
    const QList<emftest::Shape> lines = OfKind(drawn.picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 1);
    QList<QPointF> mapped;
    for (const QPointF& p : points) mapped << transform.map(p);
    QCOMPARE(Describe(lines[0].points[0]), Describe(Logical(mapped)));
}

void EmfPaintDeviceTest::shapesAreFilledWithTheBrushColour_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QBrush>("brush");
    QTest::addColumn<int>("expectedKind");
    QTest::addColumn<QColor>("expectedFill");  // invalid: nothing drawn
    const QColor olive(128, 128, 0);
    QTest::newRow("upright rectangle")
        << "rect" << QBrush(olive) << int(emftest::Shape::Rectangle) << olive;
    QTest::newRow("turned rectangle")
        << "turned rect" << QBrush(olive) << int(emftest::Shape::Polygon) << olive;
    QTest::newRow("polygon") << "polygon" << QBrush(olive) << int(emftest::Shape::Polygon) << olive;
    QLinearGradient gradient(0, 0, 100, 0);
    gradient.setColorAt(0, QColor(0, 0, 200));
    gradient.setColorAt(1, QColor(200, 0, 0));
    QTest::newRow("gradient as its first colour")
        << "rect" << QBrush(gradient) << int(emftest::Shape::Rectangle) << QColor(0, 0, 200);
    QTest::newRow("transparent") << "rect" << QBrush(QColor(0, 0, 0, 0)) << -1 << QColor();
}

void EmfPaintDeviceTest::shapesAreFilledWithTheBrushColour() {
    QFETCH(QString, shape);
    QFETCH(QBrush, brush);
    QFETCH(int, expectedKind);
    QFETCH(QColor, expectedFill);
    const QRectF rect(20, 30, 40, 25);
    const Drawn drawn = Draw(QSize(120, 120), [&](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(brush);
        if (shape == QLatin1String("rect")) {
            painter.drawRect(rect);
        } else if (shape == QLatin1String("turned rect")) {
            painter.translate(60, 60);
            painter.rotate(45);
            painter.drawRect(rect.translated(-60, -60));
        } else {
            const QPointF corners[] = {{10, 10}, {100, 20}, {50, 90}};
            painter.drawPolygon(corners, 3);
        }
    });
    QVERIFY2(drawn.picture.error.isEmpty(), qPrintable(drawn.picture.error));
    if (expectedKind < 0) {
        QVERIFY(drawn.picture.shapes.isEmpty());
        return;
    }
    QCOMPARE(drawn.picture.shapes.size(), 1);
    const emftest::Shape& drawnShape = drawn.picture.shapes[0];
    QCOMPARE(int(drawnShape.kind), expectedKind);
    QVERIFY(!drawnShape.brush.null);
    QCOMPARE(drawnShape.brush.color, expectedFill);
    QVERIFY(drawnShape.pen.null);  // no outline was asked for
    if (drawnShape.kind == emftest::Shape::Rectangle)
        QCOMPARE(drawnShape.points[0],
                 QPolygon() << Logical(rect.topLeft()) << Logical(rect.bottomRight()));
}

void EmfPaintDeviceTest::pathsAreFlattenedIntoPolygons() {
    const QPointF centre(100, 80);
    const double radius = 50;
    const Drawn drawn = Draw(QSize(220, 200), [&](QPainter& painter) {
        painter.setPen(QPen(Qt::darkGreen, 2));
        painter.setBrush(Qt::yellow);
        QPainterPath circle;
        circle.addEllipse(centre, radius, radius);
        painter.drawPath(circle);
        // An open curve is outlined only.
        QPainterPath curve(QPointF(10, 190));
        curve.cubicTo(QPointF(60, 100), QPointF(150, 250), QPointF(210, 150));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
    });
    QVERIFY2(drawn.picture.error.isEmpty(), qPrintable(drawn.picture.error));
    for (const emftest::Record& record : drawn.file.records) {
        QVERIFY(record.type != emftest::kPolyBezier && record.type != emftest::kPolyBezier16);
        QVERIFY(record.type != emftest::kPolyBezierTo && record.type != emftest::kPolyBezierTo16);
    }
    const QList<emftest::Shape> polygons = OfKind(drawn.picture, emftest::Shape::Polygon);
    QCOMPARE(polygons.size(), 1);
    const emftest::Shape& disc = polygons[0];
    QCOMPARE(disc.brush.color, QColor(Qt::yellow));
    QCOMPARE(disc.pen.color, QColor(Qt::darkGreen));
    QVERIFY(disc.points[0].size() >= 32);
    for (const QPoint& p : disc.points[0]) {
        const double distance =
            std::hypot(p.x() - centre.x() * kUnits, p.y() - centre.y() * kUnits);
        QVERIFY2(std::abs(distance - radius * kUnits) <= 0.01 * radius * kUnits,
                 qPrintable(QStringLiteral("%1 units from the centre").arg(distance)));
    }
    const QList<emftest::Shape> lines = OfKind(drawn.picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].points[0].size() >= 16);
    QCOMPARE(lines[0].points[0].first(), Logical(QPointF(10, 190)));
    QCOMPARE(lines[0].points[0].last(), Logical(QPointF(210, 150)));
}

void EmfPaintDeviceTest::clippingCutsWhatLiesOutside() {
    const QRectF clip(10, 10, 100, 100);
    QFont font;
    font.setPixelSize(12);
    const Drawn drawn = Draw(QSize(300, 300), [&](QPainter& painter) {
        painter.setFont(font);
        painter.setClipRect(clip);
        painter.setPen(QPen(Qt::blue, 1));
        painter.drawLine(QPointF(0, 50), QPointF(200, 50));             // crosses the clip
        painter.drawLine(QPointF(150, 150), QPointF(200, 200));         // wholly outside
        painter.fillRect(QRectF(50, 60, 200, 200), QColor(255, 0, 0));  // sticks out
        painter.drawText(QPointF(200, 200), QStringLiteral("outside"));
        painter.drawText(QPointF(20, 40), QStringLiteral("inside"));
        painter.drawText(QPointF(20, 90), QStringLiteral("внутри"));  // a line of its own
        // A round clip cuts fills to the circle's outline.
        painter.setClipping(false);
        QPainterPath round;
        round.addEllipse(QPointF(200, 200), 40, 40);
        painter.setClipPath(round);
        painter.fillRect(QRectF(150, 150, 100, 100), QColor(0, 160, 0));
    });
    QVERIFY2(drawn.picture.error.isEmpty(), qPrintable(drawn.picture.error));
    const QList<emftest::Shape> lines = OfKind(drawn.picture, emftest::Shape::Polyline);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].points[0], QPolygon()
                                     << Logical(QPointF(10, 50)) << Logical(QPointF(110, 50)));

    const QList<emftest::Shape> rectangles = OfKind(drawn.picture, emftest::Shape::Rectangle);
    QCOMPARE(rectangles.size(), 1);
    QCOMPARE(rectangles[0].brush.color, QColor(255, 0, 0));
    QCOMPARE(rectangles[0].points[0],
             QPolygon() << Logical(QPointF(50, 60)) << Logical(QPointF(110, 110)));

    const QList<emftest::Shape> texts = OfKind(drawn.picture, emftest::Shape::Text);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0].text, QStringLiteral("inside"));
    QCOMPARE(texts[1].text, QStringLiteral("внутри"));
    QCOMPARE(texts[1].reference, Logical(QPointF(20, 90)));

    const QList<emftest::Shape> polygons = OfKind(drawn.picture, emftest::Shape::Polygon);
    QCOMPARE(polygons.size(), 1);
    QCOMPARE(polygons[0].brush.color, QColor(0, 160, 0));
    for (const QPoint& p : polygons[0].points[0]) {
        const double distance = std::hypot(p.x() - 200.0 * kUnits, p.y() - 200.0 * kUnits);
        QVERIFY(distance <= 40.5 * kUnits);
    }
}

void EmfPaintDeviceTest::textKeepsItsFontColourAndTurn_data() {
    QTest::addColumn<qreal>("rotation");  // degrees, clockwise on screen as QPainter turns
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("escapement");  // tenths of a degree, counter-clockwise
    QTest::newRow("level") << 0.0 << false << 0;
    QTest::newRow("reading upwards, as the sample labels") << -90.0 << true << 900;
    QTest::newRow("reading downwards") << 90.0 << false << -900;
    QTest::newRow("upside down") << 180.0 << true << 1800;
}

void EmfPaintDeviceTest::textKeepsItsFontColourAndTurn() {
    QFETCH(qreal, rotation);
    QFETCH(bool, bold);
    QFETCH(int, escapement);
    const QString text = QStringLiteral("Измер.1 K=2,5");
    QFont font;
    font.setPixelSize(20);
    font.setBold(bold);
    const QPointF anchor(150, 120);
    const QColor colour(0, 0, 128);
    QTransform transform;
    const Drawn drawn = Draw(QSize(300, 300), [&](QPainter& painter) {
        painter.translate(anchor);
        painter.rotate(rotation);
        transform = painter.worldTransform();
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QPointF(0, 0), text);
    });
    QVERIFY2(drawn.picture.error.isEmpty(), qPrintable(drawn.picture.error));
    const QList<emftest::Shape> texts = OfKind(drawn.picture, emftest::Shape::Text);
    // The painter hands the line over in runs of one script each: they make one record.
    QCOMPARE(texts.size(), 1);
    const emftest::Shape& shown = texts[0];
    QCOMPARE(shown.record, static_cast<uint32_t>(emftest::kExtTextOutW));
    QCOMPARE(shown.text, text);
    QCOMPARE(shown.textColor, colour);
    QCOMPARE(shown.font.escapement, escapement);
    QCOMPARE(shown.font.height, -20 * kUnits);  // negative: the character height
    QCOMPARE(shown.font.weight, bold ? 700 : 400);
    QVERIFY(!shown.font.face.isEmpty());
    const QPoint reference = Logical(transform.map(QPointF(0, 0)));
    QVERIFY2(
        (shown.reference - reference).manhattanLength() <= 2,
        qPrintable(QStringLiteral("at %1,%2").arg(shown.reference.x()).arg(shown.reference.y())));
    // One advance per character, adding up to the text's width as laid out.
    QCOMPARE(shown.advances.size(), text.size());
    int total = 0;
    for (int advance : shown.advances) {
        QVERIFY(advance > 0);
        total += advance;
    }
    const double width = QFontMetricsF(font).horizontalAdvance(text) * kUnits;
    QVERIFY2(std::abs(total - width) <= 0.02 * width,
             qPrintable(QStringLiteral("%1 against %2").arg(total).arg(width)));
}

void EmfPaintDeviceTest::imagesAreLeftOutAndCounted() {
    EmfPaintDevice device(QSize(100, 100));
    {
        QPainter painter(&device);
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        painter.drawImage(QPointF(5, 5), image);
        painter.drawPixmap(QPointF(20, 20), QPixmap::fromImage(image));
        painter.fillRect(QRectF(0, 0, 10, 10), Qt::blue);
    }
    QCOMPARE(device.SkippedImages(), 2);
    const emftest::Picture picture = emftest::Play(emftest::Parse(device.Finish()));
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.shapes.size(), 1);
    QCOMPARE(picture.shapes[0].brush.color, QColor(Qt::blue));
}

void EmfPaintDeviceTest::finishWhilePaintingGivesNoFile() {
    EmfPaintDevice device(QSize(50, 50));
    QPainter painter(&device);
    painter.fillRect(QRectF(0, 0, 10, 10), Qt::blue);
    QVERIFY(device.Finish().isEmpty());
    painter.end();
    // Two painters in turn paint into the one picture.
    QPainter second(&device);
    second.fillRect(QRectF(10, 10, 10, 10), Qt::red);
    second.end();
    const emftest::Picture picture = emftest::Play(emftest::Parse(device.Finish()));
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.shapes.size(), 2);
    QCOMPARE(picture.shapes[1].brush.color, QColor(Qt::red));
    // Once finished, the device takes no more painting.
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QPainter late;
    QVERIFY(!late.begin(&device));
}

QTEST_MAIN(EmfPaintDeviceTest)
#include "test_emf_paint_device.moc"
