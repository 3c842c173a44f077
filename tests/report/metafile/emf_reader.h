#pragma once
// A small reader of Enhanced Metafiles for the tests: it checks the record
// structure and plays the records it knows into a list of drawn shapes with the
// pen, brush, font and text colour selected at the time.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

namespace emftest {

// Record types (the EMF format's numbers).
enum RecordType : uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetViewportExtEx = 11,
    kEof = 14,
    kSetMapMode = 17,
    kSetPolyFillMode = 19,
    kSetTextColor = 24,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kRectangle = 43,
    kExtCreateFontIndirectW = 82,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolyPolygon16 = 91,
    kExtCreatePen = 95,
};

struct Record {
    uint32_t type = 0;
    qsizetype offset = 0;
    QByteArray bytes;  // the whole record
};

struct File {
    QString error;  // empty when the structure is sound
    uint32_t headerType = 0;
    uint32_t signature = 0;
    uint32_t declaredBytes = 0;
    uint32_t declaredRecords = 0;
    QRect bounds;  // left, top, right, bottom as stored (QRect from the corners)
    QRect frame;   // hundredths of a millimetre
    QSize devicePixels;
    QSize deviceMillimetres;
    QList<Record> records;
};

File Parse(const QByteArray& bytes);

struct Pen {
    bool null = true;
    uint32_t style = 0;
    int width = 0;
    QColor color;
};

struct Brush {
    bool null = false;
    QColor color = Qt::white;
};

struct Font {
    int height = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    QString face;
};

struct Shape {
    enum Kind { Polyline, Polygon, Rectangle, Text } kind = Polyline;
    uint32_t record = 0;     // the record type it came from
    QList<QPolygon> points;  // logical units; a rectangle is its two corners
    Pen pen;
    Brush brush;
    int fillMode = 1;  // 1 alternate, 2 winding
    Font font;
    QColor textColor;
    QString text;
    QPoint reference;
    QList<int> advances;
};

struct Picture {
    QString error;
    QSize windowExtent;
    QSize viewportExtent;
    int mapMode = 1;
    QList<Shape> shapes;
};

// Plays the records of a sound file.
Picture Play(const File& file);

}  // namespace emftest
