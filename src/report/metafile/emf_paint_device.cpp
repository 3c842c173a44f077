#include "report/metafile/emf_paint_device.h"

#include "report/metafile/gdi_metafile.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextItem>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace kelvaron {

namespace {

using emf::GdiBrush;
using emf::GdiFont;
using emf::GdiPen;
using emf::GdiPoint;

constexpr double kUnits = EmfPaintDevice::kUnitsPerPixel;

emf::ColorRef ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<emf::ColorRef>(rgb.red()) | static_cast<emf::ColorRef>(rgb.green()) << 8 |
           static_cast<emf::ColorRef>(rgb.blue()) << 16;
}

// GDI fills with one colour: a gradient gives its first stop's colour.
QColor BrushColor(const QBrush& brush) {
    if (const QGradient* gradient = brush.gradient(); gradient != nullptr) {
        const QGradientStops stops = gradient->stops();
        if (!stops.isEmpty()) return stops.first().second;
    }
    return brush.color();
}

int32_t ToLogical(double value) {
    const double limit = static_cast<double>(INT_MAX / 2);
    return static_cast<int32_t>(std::lround(std::clamp(value, -limit, limit)));
}

GdiPoint ToGdi(const QPointF& point) { return {ToLogical(point.x()), ToLogical(point.y())}; }

std::vector<GdiPoint> ToGdi(const QPolygonF& polygon) {
    std::vector<GdiPoint> points;
    points.reserve(static_cast<size_t>(polygon.size()));
    for (const QPointF& point : polygon) {
        const GdiPoint gdi = ToGdi(point);
        if (points.empty() || !(points.back() == gdi)) points.push_back(gdi);
    }
    return points;
}

// Whether two rectangles share any point, edges included (so that a horizontal
// line of no height still meets the rectangle it runs through).
bool Touches(const QRectF& a, const QRectF& b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
           b.top() <= a.bottom();
}

QRectF BoundsOf(const QList<QPolygonF>& polygons) {
    QRectF bounds;
    bool first = true;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.isEmpty()) continue;
        const QRectF r = polygon.boundingRect();
        bounds = first ? r : bounds.united(r);
        first = false;
    }
    return bounds;
}

// The parts of the polyline inside `clip` (Liang-Barsky on each segment).
QList<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& clip) {
    QList<QPolygonF> pieces;
    QPolygonF current;
    const auto finish = [&] {
        if (current.size() >= 2) pieces.append(current);
        current.clear();
    };
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1];
        const QPointF b = line[i];
        const double dx = b.x() - a.x();
        const double dy = b.y() - a.y();
        double t0 = 0;
        double t1 = 1;
        bool visible = true;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x() - clip.left(), clip.right() - a.x(), a.y() - clip.top(),
                             clip.bottom() - a.y()};
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0) visible = false;
            } else {
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
                if (t0 > t1) visible = false;
            }
        }
        if (!visible) {
            finish();
            continue;
        }
        const QPointF from = a + QPointF(dx, dy) * t0;
        const QPointF to = a + QPointF(dx, dy) * t1;
        if (current.isEmpty() || current.last() != from) {
            finish();
            current.append(from);
        }
        current.append(to);
        if (t1 < 1) finish();  // the line leaves the clip here
    }
    finish();
    return pieces;
}

// True when the path is one axis-parallel rectangle.
bool IsRectangle(const QPainterPath& path) {
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    if (polygons.size() != 1) return false;
    const QPolygonF& polygon = polygons.first();
    const QRectF bounds = polygon.boundingRect();
    for (const QPointF& point : polygon) {
        const bool onVertical = point.x() == bounds.left() || point.x() == bounds.right();
        const bool onHorizontal = point.y() == bounds.top() || point.y() == bounds.bottom();
        if (!onVertical || !onHorizontal) return false;
    }
    return true;
}

}  // namespace

class EmfPaintEngine final : public QPaintEngine {
public:
    explicit EmfPaintEngine(QSize size)
        : QPaintEngine(AllFeatures),
          file_(static_cast<int32_t>(std::lround(size.width() * 2540.0 / kDotsPerInch())),
                static_cast<int32_t>(std::lround(size.height() * 2540.0 / kDotsPerInch()))) {
        file_.SetLogicalSize(ToLogical(size.width() * kUnits), ToLogical(size.height() * kUnits));
    }

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;

    bool begin(QPaintDevice*) override {
        if (finished_) return false;
        toLogical_ = QTransform::fromScale(kUnits, kUnits);
        pen_ = QPen();
        brush_ = QBrush();
        opacity_ = 1;
        clipping_ = false;
        return true;
    }

    bool end() override {
        Flush();
        return true;
    }

    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen) pen_ = state.pen();
        if (flags & DirtyBrush) brush_ = state.brush();
        if (flags & DirtyOpacity) opacity_ = state.opacity();
        if (flags & DirtyTransform)
            toLogical_ = state.transform() * QTransform::fromScale(kUnits, kUnits);
        if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled)) UpdateClip();
    }

    void drawRects(const QRectF* rects, int count) override {
        Flush();
        const std::optional<GdiPen> pen = StrokePen();
        const std::optional<GdiBrush> brush = FillBrush();
        if (!pen && !brush) return;
        const bool upright = toLogical_.type() <= QTransform::TxScale;
        for (int i = 0; i < count; ++i) {
            const QRectF rect = toLogical_.mapRect(rects[i]).normalized();
            if (upright && (!clipping_ || clipIsRect_)) {
                QRectF shown = rect;
                if (clipping_) {
                    if (!Touches(rect, clipRect_)) continue;
                    shown = rect.intersected(clipRect_);
                }
                // A clipped outline would draw the clip's edges: only a fill may be cut.
                if (!pen || shown == rect) {
                    file_.SelectPen(pen.value_or(NullPen()));
                    file_.SelectBrush(brush.value_or(NullBrush()));
                    file_.Rectangle(ToLogical(shown.left()), ToLogical(shown.top()),
                                    ToLogical(shown.right()), ToLogical(shown.bottom()));
                    continue;
                }
            }
            EmitShape({toLogical_.map(QPolygonF(rects[i]))}, Qt::OddEvenFill, brush, pen, true);
        }
    }

    void drawLines(const QLineF* lines, int count) override {
        const std::optional<GdiPen> pen = StrokePen();
        if (!pen) return;
        for (int i = 0; i < count; ++i) {
            QPolygonF line;
            line << toLogical_.map(lines[i].p1()) << toLogical_.map(lines[i].p2());
            StrokeOpen(line, *pen);
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i) polygon.append(toLogical_.map(points[i]));
        if (mode == PolylineMode) {
            if (const std::optional<GdiPen> pen = StrokePen()) StrokeOpen(polygon, *pen);
            return;
        }
        Flush();
        EmitShape({polygon}, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill, FillBrush(),
                  StrokePen(), true);
    }

    void drawPath(const QPainterPath& path) override {
        const QPainterPath logical = toLogical_.map(path);
        // Curves are flattened in logical units, finely enough for any zoom.
        const QList<QPolygonF> polygons = logical.toSubpathPolygons();
        const std::optional<GdiPen> pen = StrokePen();
        const std::optional<GdiBrush> brush = FillBrush();
        const bool allClosed =
            std::all_of(polygons.begin(), polygons.end(), [](const QPolygonF& polygon) {
                return polygon.size() > 2 && polygon.first() == polygon.last();
            });
        if (allClosed || !pen) {
            Flush();
            EmitShape(polygons, path.fillRule(), brush, pen, true);
            return;
        }
        if (brush) {
            Flush();
            EmitShape(polygons, path.fillRule(), brush, std::nullopt, true);
        }
        for (const QPolygonF& polygon : polygons) StrokeOpen(polygon, *pen);
    }

    void drawPoints(const QPointF* points, int count) override {
        Flush();
        const std::optional<GdiPen> pen = StrokePen();
        if (!pen) return;
        // A point is a square of the pen's width in the pen's colour.
        const double half = pen->width / 2.0;
        QList<QPolygonF> squares;
        for (int i = 0; i < count; ++i) {
            const QPointF centre = toLogical_.map(points[i]);
            squares.append(
                QPolygonF(QRectF(centre - QPointF(half, half), QSizeF(2 * half, 2 * half))));
        }
        EmitShape(squares, Qt::WindingFill, GdiBrush{false, pen->color}, std::nullopt, true);
    }

    void drawEllipse(const QRectF& rect) override {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { Skip(); }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
        Skip();
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override { Skip(); }

    void drawTextItem(const QPointF& position, const QTextItem& item) override {
        FlushLine();
        const QString text = item.text();
        if (text.isEmpty() || !Visible(pen_.brush()) || pen_.style() == Qt::NoPen) return;
        const QFont font = item.font();

        // The baseline's direction and the scale across it, in logical units.
        const QPointF origin = toLogical_.map(position);
        const QPointF along = toLogical_.map(position + QPointF(1, 0)) - origin;
        const QPointF across = toLogical_.map(position + QPointF(0, 1)) - origin;
        const double scaleAlong = std::hypot(along.x(), along.y());
        const double scaleAcross = std::hypot(across.x(), across.y());
        if (scaleAlong <= 0 || scaleAcross <= 0) return;
        // Counter-clockwise on the page is a negative angle with y downwards.
        const double degrees = -std::atan2(along.y(), along.x()) * 180 / std::numbers::pi;
        int escapement = static_cast<int>(std::lround(degrees * 10));
        if (escapement <= -1800) escapement += 3600;

        QFontMetricsF metrics(font, paintDevice());
        const double pixelSize =
            font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDotsPerInch() / 72.0;

        if (clipping_) {
            const QPointF unitAlong = along / scaleAlong;
            const QPointF unitUp = -across / scaleAcross;
            const double length = metrics.horizontalAdvance(text) * scaleAlong;
            QPolygonF box;
            box << origin - unitUp * metrics.descent() * scaleAcross
                << origin + unitUp * metrics.ascent() * scaleAcross;
            box << box[1] + unitAlong * length << box[0] + unitAlong * length;
            if (clipRect_.isEmpty() || !Touches(box.boundingRect(), clipRect_)) return;
        }

        GdiFont gdiFont;
        gdiFont.height = std::max(ToLogical(pixelSize * scaleAcross), 1);
        gdiFont.escapement = escapement;
        gdiFont.weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
        gdiFont.italic = font.style() != QFont::StyleNormal;
        const QFontInfo info(font);
        gdiFont.pitch = info.fixedPitch() ? emf::FontPitch::Fixed : emf::FontPitch::Variable;
        gdiFont.face = info.family().toStdU16String();

        const emf::ColorRef color = ToColorRef(BrushColor(pen_.brush()));
        const std::vector<int32_t> advances = Advances(text, metrics, scaleAlong);
        const QPointF unitAlong = along / scaleAlong;
        // The painter hands over a line in runs of one script each (Cyrillic, Latin);
        // a run that goes on where the last one ended joins it in one record.
        if (textPending_ && pendingFont_ == gdiFont && pendingColor_ == color) {
            const QPointF end = pendingOrigin_ + unitAlong * pendingLength_;
            if (std::hypot(end.x() - origin.x(), end.y() - origin.y()) <= 2) {
                pendingText_ += text.toStdU16String();
                pendingAdvances_.insert(pendingAdvances_.end(), advances.begin(), advances.end());
                for (int32_t advance : advances) pendingLength_ += advance;
                return;
            }
        }
        FlushText();
        textPending_ = true;
        pendingFont_ = gdiFont;
        pendingColor_ = color;
        pendingOrigin_ = origin;
        pendingText_ = text.toStdU16String();
        pendingAdvances_ = advances;
        pendingLength_ = 0;
        for (int32_t advance : advances) pendingLength_ += advance;
    }

    QByteArray Finish() {
        Flush();
        finished_ = true;
        const std::vector<unsigned char> bytes = file_.Close();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    }

    int SkippedImages() const { return skipped_; }

private:
    static constexpr int kDotsPerInch() { return EmfPaintDevice::kDotsPerInch; }

    static GdiPen NullPen() { return GdiPen{emf::PenStyle::Null, 1, 0, {}, {}}; }
    static GdiBrush NullBrush() { return GdiBrush{true, 0}; }

    bool Visible(const QBrush& brush) const {
        return brush.style() != Qt::NoBrush && BrushColor(brush).alpha() > 0 && opacity_ > 0;
    }

    // The pen GDI draws with, or nothing when the painter's pen paints nothing.
    std::optional<GdiPen> StrokePen() const {
        if (pen_.style() == Qt::NoPen || !Visible(pen_.brush())) return std::nullopt;
        GdiPen pen;
        switch (pen_.style()) {
            case Qt::DashLine:
                pen.style = emf::PenStyle::Dash;
                break;
            case Qt::DotLine:
                pen.style = emf::PenStyle::Dot;
                break;
            case Qt::DashDotLine:
                pen.style = emf::PenStyle::DashDot;
                break;
            case Qt::DashDotDotLine:
                pen.style = emf::PenStyle::DashDotDot;
                break;
            case Qt::CustomDashLine:
                pen.style = emf::PenStyle::Dash;
                break;
            default:
                pen.style = emf::PenStyle::Solid;
                break;
        }
        // A cosmetic pen is as wide on the picture whatever the transform; width 0
        // is one pixel.
        const double width = pen_.widthF() > 0 ? pen_.widthF() : 1.0;
        const double scale =
            pen_.isCosmetic() ? kUnits : std::sqrt(std::abs(toLogical_.determinant()));
        pen.width = std::max(ToLogical(width * scale), 1);
        pen.color = ToColorRef(BrushColor(pen_.brush()));
        switch (pen_.capStyle()) {
            case Qt::FlatCap:
                pen.cap = emf::PenCap::Flat;
                break;
            case Qt::RoundCap:
                pen.cap = emf::PenCap::Round;
                break;
            default:
                pen.cap = emf::PenCap::Square;
                break;
        }
        switch (pen_.joinStyle()) {
            case Qt::RoundJoin:
                pen.join = emf::PenJoin::Round;
                break;
            case Qt::BevelJoin:
                pen.join = emf::PenJoin::Bevel;
                break;
            default:
                pen.join = emf::PenJoin::Miter;
                break;
        }
        return pen;
    }

    // The brush GDI fills with, or nothing. A texture would be an image: left out.
    std::optional<GdiBrush> FillBrush() {
        if (!Visible(brush_)) return std::nullopt;
        if (brush_.style() == Qt::TexturePattern) {
            ++skipped_;
            return std::nullopt;
        }
        return GdiBrush{false, ToColorRef(BrushColor(brush_))};
    }

    void Skip() {
        Flush();
        ++skipped_;
    }

    // The clip in logical units, from the painter (which keeps every clip step).
    void UpdateClip() {
        QPainter* painter = this->painter();
        clipping_ = painter != nullptr && painter->hasClipping();
        if (!clipping_) return;
        const QTransform toLogical =
            painter->combinedTransform() * QTransform::fromScale(kUnits, kUnits);
        clip_ = toLogical.map(painter->clipPath());
        clipRect_ = clip_.boundingRect();
        clipIsRect_ = IsRectangle(clip_);
    }

    // Fills and outlines closed shapes given in logical units.
    void EmitShape(const QList<QPolygonF>& polygons, Qt::FillRule rule,
                   const std::optional<GdiBrush>& brush, const std::optional<GdiPen>& pen,
                   bool closed) {
        if (!brush && !pen) return;
        const QRectF bounds = BoundsOf(polygons);
        if (clipping_ && !Touches(bounds, clipRect_)) return;
        const bool inside = !clipping_ || (clipIsRect_ && clipRect_.contains(bounds));
        const emf::FillRule fillRule =
            rule == Qt::WindingFill ? emf::FillRule::Winding : emf::FillRule::Alternate;

        if (inside) {
            std::vector<std::vector<GdiPoint>> shapes;
            for (const QPolygonF& polygon : polygons) shapes.push_back(ToGdi(polygon));
            if (brush || closed) {
                file_.SelectPen(closed && pen ? *pen : NullPen());
                file_.SelectBrush(brush.value_or(NullBrush()));
                file_.SetFillRule(fillRule);
                file_.PolyPolygon(shapes);
                if (closed || !pen) return;
            }
            for (const QPolygonF& polygon : polygons) StrokeOpen(polygon, *pen);
            return;
        }

        if (brush) {
            QPainterPath area;
            area.setFillRule(rule);
            for (const QPolygonF& polygon : polygons) area.addPolygon(polygon);
            const QPainterPath shown = area.intersected(clip_);
            std::vector<std::vector<GdiPoint>> shapes;
            for (const QPolygonF& polygon : shown.toSubpathPolygons())
                shapes.push_back(ToGdi(polygon));
            file_.SelectPen(NullPen());
            file_.SelectBrush(*brush);
            file_.SetFillRule(shown.fillRule() == Qt::WindingFill ? emf::FillRule::Winding
                                                                  : emf::FillRule::Alternate);
            file_.PolyPolygon(shapes);
        }
        if (pen) {
            for (QPolygonF polygon : polygons) {
                if (closed && !polygon.isEmpty() && polygon.first() != polygon.last())
                    polygon.append(polygon.first());
                StrokeOpen(polygon, *pen);
            }
        }
    }

    // An open line in logical units, clipped, joined to the line before it where
    // it goes on from its end with the same pen.
    void StrokeOpen(const QPolygonF& line, const GdiPen& pen) {
        if (line.size() < 2) return;
        if (!clipping_) {
            Append(ToGdi(line), pen);
            return;
        }
        if (clipRect_.isEmpty()) return;
        for (const QPolygonF& piece : ClipPolyline(line, clipRect_)) Append(ToGdi(piece), pen);
    }

    void Append(std::vector<GdiPoint> points, const GdiPen& pen) {
        FlushText();
        if (points.size() == 1) points.push_back(points.front());  // a dot
        if (points.empty()) return;
        if (!pending_.empty() && pendingPen_ == pen && pending_.back() == points.front()) {
            pending_.insert(pending_.end(), points.begin() + 1, points.end());
            return;
        }
        FlushLine();
        pending_ = std::move(points);
        pendingPen_ = pen;
    }

    // Writes what is held back for joining: the line and the text run.
    void Flush() {
        FlushLine();
        FlushText();
    }

    void FlushLine() {
        if (pending_.size() >= 2) {
            file_.SelectPen(pendingPen_);
            file_.Polyline(pending_);
        }
        pending_.clear();
    }

    void FlushText() {
        if (!textPending_) return;
        textPending_ = false;
        file_.SelectFont(pendingFont_);
        file_.SetTextColor(pendingColor_);
        file_.Text(ToLogical(pendingOrigin_.x()), ToLogical(pendingOrigin_.y()), pendingText_,
                   pendingAdvances_);
    }

    // Where each UTF-16 unit's successor starts, in logical units along the
    // baseline, from the widths of the text's growing beginnings (so kerning counts).
    static std::vector<int32_t> Advances(const QString& text, const QFontMetricsF& metrics,
                                         double scale) {
        std::vector<int32_t> advances(static_cast<size_t>(text.size()), 0);
        const bool cumulative = text.size() <= 256;  // beyond that, character by character
        double running = 0;
        int32_t placed = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            qsizetype next = i + 1;
            if (text[i].isHighSurrogate() && next < text.size() && text[next].isLowSurrogate())
                ++next;
            running = cumulative ? metrics.horizontalAdvance(text.left(next))
                                 : running + metrics.horizontalAdvance(text.mid(i, next - i));
            const int32_t target = ToLogical(running * scale);
            advances[static_cast<size_t>(i)] = target - placed;  // a low surrogate gets 0
            placed = target;
            i = next - 1;
        }
        return advances;
    }

    emf::GdiMetafile file_;
    bool finished_ = false;
    int skipped_ = 0;

    QTransform toLogical_ = QTransform::fromScale(kUnits, kUnits);
    QPen pen_;
    QBrush brush_;
    qreal opacity_ = 1;

    bool clipping_ = false;
    QPainterPath clip_;
    QRectF clipRect_;
    bool clipIsRect_ = false;

    std::vector<GdiPoint> pending_;  // the line held back
    GdiPen pendingPen_;

    bool textPending_ = false;  // the text run held back
    GdiFont pendingFont_;
    emf::ColorRef pendingColor_ = 0;
    QPointF pendingOrigin_;
    std::u16string pendingText_;
    std::vector<int32_t> pendingAdvances_;
    double pendingLength_ = 0;
};

EmfPaintDevice::EmfPaintDevice(QSize size)
    : size_(size.expandedTo(QSize(1, 1))), engine_(std::make_unique<EmfPaintEngine>(size_)) {}

EmfPaintDevice::~EmfPaintDevice() = default;

QPaintEngine* EmfPaintDevice::paintEngine() const { return engine_.get(); }

QByteArray EmfPaintDevice::Finish() {
    if (engine_->isActive()) return {};
    return engine_->Finish();
}

int EmfPaintDevice::SkippedImages() const { return engine_->SkippedImages(); }

int EmfPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return static_cast<int>(std::lround(size_.width() * 25.4 / kDotsPerInch));
        case PdmHeightMM:
            return static_cast<int>(std::lround(size_.height() * 25.4 / kDotsPerInch));
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDotsPerInch;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            break;
    }
    return QPaintDevice::metric(metric);
}

}  // namespace kelvaron
