#include "emf_reader.h"

#include <QHash>
#include <QtEndian>

namespace emftest {

namespace {

uint32_t U32(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size()) return 0;
    return qFromLittleEndian<uint32_t>(bytes.constData() + at);
}

int32_t I32(const QByteArray& bytes, qsizetype at) { return static_cast<int32_t>(U32(bytes, at)); }

int16_t I16(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 2 > bytes.size()) return 0;
    return qFromLittleEndian<int16_t>(bytes.constData() + at);
}

uint16_t U16(const QByteArray& bytes, qsizetype at) {
    return static_cast<uint16_t>(I16(bytes, at));
}

QRect Corners(const QByteArray& bytes, qsizetype at) {
    return QRect(QPoint(I32(bytes, at), I32(bytes, at + 4)),
                 QPoint(I32(bytes, at + 8), I32(bytes, at + 12)));
}

QColor FromColorRef(uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

QPolygon Points(const QByteArray& bytes, qsizetype at, int count, bool small) {
    QPolygon polygon;
    for (int i = 0; i < count; ++i) {
        if (small)
            polygon << QPoint(I16(bytes, at + 4 * i), I16(bytes, at + 4 * i + 2));
        else
            polygon << QPoint(I32(bytes, at + 8 * i), I32(bytes, at + 8 * i + 4));
    }
    return polygon;
}

}  // namespace

File Parse(const QByteArray& bytes) {
    File file;
    if (bytes.size() < 88) {
        file.error = QStringLiteral("shorter than a header");
        return file;
    }
    file.headerType = U32(bytes, 0);
    file.bounds = Corners(bytes, 8);
    file.frame = Corners(bytes, 24);
    file.signature = U32(bytes, 40);
    file.declaredBytes = U32(bytes, 48);
    file.declaredRecords = U32(bytes, 52);
    file.devicePixels = QSize(I32(bytes, 72), I32(bytes, 76));
    file.deviceMillimetres = QSize(I32(bytes, 80), I32(bytes, 84));

    qsizetype at = 0;
    while (at < bytes.size()) {
        const uint32_t type = U32(bytes, at);
        const uint32_t size = U32(bytes, at + 4);
        if (size < 8 || size % 4 != 0 || size > static_cast<uint64_t>(bytes.size() - at)) {
            file.error = QStringLiteral("record %1 at %2 has a bad size %3")
                             .arg(file.records.size())
                             .arg(at)
                             .arg(size);
            return file;
        }
        file.records.append(Record{type, at, bytes.mid(at, size)});
        at += size;
    }
    if (file.records.isEmpty() || file.records.last().type != kEof)
        file.error = QStringLiteral("no end record last");
    return file;
}

Picture Play(const File& file) {
    Picture picture;
    if (!file.error.isEmpty()) {
        picture.error = file.error;
        return picture;
    }
    struct Object {
        enum { PenObject, BrushObject, FontObject } kind;
        Pen pen;
        Brush brush;
        Font font;
    };
    QHash<uint32_t, Object> objects;
    Pen pen;
    pen.null = false;
    pen.color = Qt::black;
    pen.width = 1;
    Brush brush;
    Font font;
    QColor textColor = Qt::black;
    int fillMode = 1;

    const auto shape = [&](Shape::Kind kind, uint32_t record) {
        Shape s;
        s.kind = kind;
        s.record = record;
        s.pen = pen;
        s.brush = brush;
        s.fillMode = fillMode;
        s.font = font;
        s.textColor = textColor;
        return s;
    };

    for (const Record& record : file.records) {
        const QByteArray& r = record.bytes;
        switch (record.type) {
            case kPolygon:
            case kPolyline:
            case kPolygon16:
            case kPolyline16: {
                const bool small = record.type == kPolygon16 || record.type == kPolyline16;
                const int count = I32(r, 24);
                if (28 + count * (small ? 4 : 8) > r.size()) {
                    picture.error = QStringLiteral("point count beyond its record");
                    return picture;
                }
                const bool line = record.type == kPolyline || record.type == kPolyline16;
                Shape s = shape(line ? Shape::Polyline : Shape::Polygon, record.type);
                s.points.append(Points(r, 28, count, small));
                picture.shapes.append(s);
                break;
            }
            case kPolyPolygon:
            case kPolyPolygon16: {
                const bool small = record.type == kPolyPolygon16;
                const int polygons = I32(r, 24);
                const int total = I32(r, 28);
                qsizetype at = 32 + 4 * polygons;
                if (at + total * (small ? 4 : 8) > r.size()) {
                    picture.error = QStringLiteral("point count beyond its record");
                    return picture;
                }
                Shape s = shape(Shape::Polygon, record.type);
                int used = 0;
                for (int i = 0; i < polygons; ++i) {
                    const int count = I32(r, 32 + 4 * i);
                    s.points.append(Points(r, at, count, small));
                    at += count * (small ? 4 : 8);
                    used += count;
                }
                if (used != total) {
                    picture.error = QStringLiteral("polygon counts do not add up");
                    return picture;
                }
                picture.shapes.append(s);
                break;
            }
            case kRectangle: {
                Shape s = shape(Shape::Rectangle, record.type);
                const QRect box = Corners(r, 8);
                s.points.append(QPolygon() << box.topLeft() << box.bottomRight());
                picture.shapes.append(s);
                break;
            }
            case kCreatePen: {
                Object o{Object::PenObject, {}, {}, {}};
                o.pen.style = U32(r, 12);
                o.pen.null = (o.pen.style & 0xF) == 5;
                o.pen.width = I32(r, 16);
                o.pen.color = FromColorRef(U32(r, 24));
                objects.insert(U32(r, 8), o);
                break;
            }
            case kExtCreatePen: {
                Object o{Object::PenObject, {}, {}, {}};
                o.pen.style = U32(r, 28);
                o.pen.null = (o.pen.style & 0xF) == 5;
                o.pen.width = I32(r, 32);
                o.pen.color = FromColorRef(U32(r, 40));
                objects.insert(U32(r, 8), o);
                break;
            }
            case kCreateBrushIndirect: {
                Object o{Object::BrushObject, {}, {}, {}};
                o.brush.null = U32(r, 12) == 1;  // BS_NULL
                o.brush.color = FromColorRef(U32(r, 16));
                objects.insert(U32(r, 8), o);
                break;
            }
            case kExtCreateFontIndirectW: {
                Object o{Object::FontObject, {}, {}, {}};
                o.font.height = I32(r, 12);
                o.font.escapement = I32(r, 20);
                o.font.orientation = I32(r, 24);
                o.font.weight = I32(r, 28);
                o.font.italic = r.size() > 32 && r[32] != 0;
                QString face;
                for (int i = 0; i < 32; ++i) {
                    const uint16_t c = U16(r, 40 + 2 * i);
                    if (c == 0) break;
                    face.append(QChar(c));
                }
                o.font.face = face;
                objects.insert(U32(r, 8), o);
                break;
            }
            case kSelectObject: {
                const uint32_t handle = U32(r, 8);
                if (handle & 0x80000000u) {
                    switch (handle & 0x7FFFFFFFu) {
                        case 0:
                            brush = Brush{false, Qt::white};
                            break;
                        case 4:
                            brush = Brush{false, Qt::black};
                            break;
                        case 5:
                            brush = Brush{true, Qt::white};
                            break;
                        case 6:
                            pen = Pen{false, 0, 1, Qt::white};
                            break;
                        case 7:
                            pen = Pen{false, 0, 1, Qt::black};
                            break;
                        case 8:
                            pen = Pen{true, 5, 0, Qt::black};
                            break;
                        default:
                            break;
                    }
                    break;
                }
                if (!objects.contains(handle)) {
                    picture.error =
                        QStringLiteral("selects object %1 that does not exist").arg(handle);
                    return picture;
                }
                const Object& o = objects[handle];
                if (o.kind == Object::PenObject) pen = o.pen;
                if (o.kind == Object::BrushObject) brush = o.brush;
                if (o.kind == Object::FontObject) font = o.font;
                break;
            }
            case kDeleteObject:
                objects.remove(U32(r, 8));
                break;
            case kSetTextColor:
                textColor = FromColorRef(U32(r, 8));
                break;
            case kSetPolyFillMode:
                fillMode = I32(r, 8);
                break;
            case kSetMapMode:
                picture.mapMode = I32(r, 8);
                break;
            case kSetWindowExtEx:
                picture.windowExtent = QSize(I32(r, 8), I32(r, 12));
                break;
            case kSetViewportExtEx:
                picture.viewportExtent = QSize(I32(r, 8), I32(r, 12));
                break;
            case kExtTextOutW: {
                // EMRTEXT follows the bounds, the graphics mode and the two scales.
                const qsizetype text = 36;
                Shape s = shape(Shape::Text, record.type);
                s.reference = QPoint(I32(r, text), I32(r, text + 4));
                const int chars = I32(r, text + 8);
                const qsizetype offString = U32(r, text + 12);
                const qsizetype offDx = U32(r, text + 36);
                if (offString + 2 * chars > r.size() ||
                    (offDx != 0 && offDx + 4 * chars > r.size())) {
                    picture.error = QStringLiteral("text beyond its record");
                    return picture;
                }
                for (int i = 0; i < chars; ++i) s.text.append(QChar(U16(r, offString + 2 * i)));
                if (offDx != 0)
                    for (int i = 0; i < chars; ++i) s.advances.append(I32(r, offDx + 4 * i));
                picture.shapes.append(s);
                break;
            }
            default:
                break;
        }
    }
    return picture;
}

}  // namespace emftest
