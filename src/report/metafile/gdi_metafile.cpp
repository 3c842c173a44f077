#include "report/metafile/gdi_metafile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <libEMF/emf.h>
// The Windows-like headers of libEMF define these as macros.
#undef min
#undef max
#endif

namespace kelvaron::emf {

namespace {

// GDI handles are pointers on Windows and small integers in libEMF; both are kept
// as uintptr_t here.
template <class Handle>
Handle As(uintptr_t value) {
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<Handle>(value);
    else
        return static_cast<Handle>(value);
}

template <class Handle>
uintptr_t Keep(Handle handle) {
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<uintptr_t>(handle);
    else
        return static_cast<uintptr_t>(handle);
}

HDC Dc(uintptr_t dc) { return As<HDC>(dc); }

#ifndef _WIN32
// Where libEMF writes: a stream that grows in memory (POSIX open_memstream).
struct MemoryStream {
    char* data = nullptr;
    size_t size = 0;
    FILE* file = nullptr;
};
#endif

DWORD PenStyleBits(const GdiPen& pen) {
    DWORD style = PS_GEOMETRIC;
    switch (pen.style) {
        case PenStyle::Null:
            return PS_NULL;
        case PenStyle::Solid:
            style |= PS_SOLID;
            break;
        case PenStyle::Dash:
            style |= PS_DASH;
            break;
        case PenStyle::Dot:
            style |= PS_DOT;
            break;
        case PenStyle::DashDot:
            style |= PS_DASHDOT;
            break;
        case PenStyle::DashDotDot:
            style |= PS_DASHDOTDOT;
            break;
    }
    switch (pen.cap) {
        case PenCap::Round:
            style |= PS_ENDCAP_ROUND;
            break;
        case PenCap::Square:
            style |= PS_ENDCAP_SQUARE;
            break;
        case PenCap::Flat:
            style |= PS_ENDCAP_FLAT;
            break;
    }
    switch (pen.join) {
        case PenJoin::Round:
            style |= PS_JOIN_ROUND;
            break;
        case PenJoin::Bevel:
            style |= PS_JOIN_BEVEL;
            break;
        case PenJoin::Miter:
            style |= PS_JOIN_MITER;
            break;
    }
    return style;
}

std::vector<POINT> ToPoints(const std::vector<GdiPoint>& points) {
    std::vector<POINT> out(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        out[i].x = points[i].x;
        out[i].y = points[i].y;
    }
    return out;
}

}  // namespace

GdiMetafile::GdiMetafile(int32_t frameWidth, int32_t frameHeight)
    : frameWidth_(std::max<int32_t>(frameWidth, 1)),
      frameHeight_(std::max<int32_t>(frameHeight, 1)) {
    RECT frame;
    frame.left = 0;
    frame.top = 0;
    frame.right = frameWidth_;
    frame.bottom = frameHeight_;
#ifdef _WIN32
    // A memory metafile on the screen as the reference device.
    dc_ = Keep(CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr));
#else
    auto* stream = new MemoryStream;
    stream->file = open_memstream(&stream->data, &stream->size);
    if (stream->file == nullptr) {
        delete stream;
        return;
    }
    memory_ = stream;
    dc_ = Keep(CreateEnhMetaFileWithFILEW(0, stream->file, &frame, nullptr));
#endif
    if (!IsOpen()) return;
    SetBkMode(Dc(dc_), TRANSPARENT);
    SetTextAlign(Dc(dc_), TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
}

GdiMetafile::~GdiMetafile() { Close(); }

void GdiMetafile::SetLogicalSize(int32_t width, int32_t height) {
    if (!IsOpen()) return;
    // The frame in the reference device's pixels: GDI maps logical units onto them.
    const int devicePixelsX = GetDeviceCaps(Dc(dc_), HORZRES);
    const int devicePixelsY = GetDeviceCaps(Dc(dc_), VERTRES);
    const int deviceMmX = std::max(GetDeviceCaps(Dc(dc_), HORZSIZE), 1);
    const int deviceMmY = std::max(GetDeviceCaps(Dc(dc_), VERTSIZE), 1);
    const auto viewportX = static_cast<int>(
        std::lround(frameWidth_ / 100.0 * devicePixelsX / static_cast<double>(deviceMmX)));
    const auto viewportY = static_cast<int>(
        std::lround(frameHeight_ / 100.0 * devicePixelsY / static_cast<double>(deviceMmY)));
    SetMapMode(Dc(dc_), MM_ANISOTROPIC);
    SetWindowExtEx(Dc(dc_), std::max(width, 1), std::max(height, 1), nullptr);
    SetViewportExtEx(Dc(dc_), std::max(viewportX, 1), std::max(viewportY, 1), nullptr);
}

void GdiMetafile::SelectPen(const GdiPen& pen) {
    if (!IsOpen() || (havePen_ && penValue_ == pen)) return;
    uintptr_t created = 0;
    if (pen.style == PenStyle::Null) {
        SelectObject(Dc(dc_), GetStockObject(NULL_PEN));
    } else {
        LOGBRUSH brush;
        brush.lbStyle = BS_SOLID;
        brush.lbColor = pen.color;
        brush.lbHatch = 0;
        created = Keep(ExtCreatePen(PenStyleBits(pen), static_cast<DWORD>(std::max(pen.width, 1)),
                                    &brush, 0, nullptr));
        if (created == 0) return;
        SelectObject(Dc(dc_), As<HGDIOBJ>(created));
    }
    if (pen_ != 0) DeleteObject(As<HGDIOBJ>(pen_));
    pen_ = created;
    penValue_ = pen;
    havePen_ = true;
}

void GdiMetafile::SelectBrush(const GdiBrush& brush) {
    if (!IsOpen() || (haveBrush_ && brushValue_ == brush)) return;
    uintptr_t created = 0;
    if (brush.null) {
        SelectObject(Dc(dc_), GetStockObject(NULL_BRUSH));
    } else {
        LOGBRUSH logBrush;
        logBrush.lbStyle = BS_SOLID;
        logBrush.lbColor = brush.color;
        logBrush.lbHatch = 0;
        created = Keep(CreateBrushIndirect(&logBrush));
        if (created == 0) return;
        SelectObject(Dc(dc_), As<HGDIOBJ>(created));
    }
    if (brush_ != 0) DeleteObject(As<HGDIOBJ>(brush_));
    brush_ = created;
    brushValue_ = brush;
    haveBrush_ = true;
}

void GdiMetafile::SelectFont(const GdiFont& font) {
    if (!IsOpen() || (haveFont_ && fontValue_ == font)) return;
    LOGFONTW logFont{};
    logFont.lfHeight = -std::max(font.height, 1);  // negative: the em size, not the cell
    logFont.lfWidth = 0;
    logFont.lfEscapement = font.escapement;
    logFont.lfOrientation = font.escapement;
    logFont.lfWeight = std::clamp(font.weight, 1, 1000);
    logFont.lfItalic = font.italic ? 1 : 0;
    logFont.lfUnderline = 0;  // the painter draws decorations as lines of their own
    logFont.lfStrikeOut = 0;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_TT_PRECIS;  // outline fonts turn with the escapement
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = static_cast<BYTE>(
        font.pitch == FontPitch::Fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS));
    const size_t faceLength = std::min<size_t>(font.face.size(), LF_FACESIZE - 1);
    for (size_t i = 0; i < faceLength; ++i) logFont.lfFaceName[i] = font.face[i];
    logFont.lfFaceName[faceLength] = 0;

    const uintptr_t created = Keep(CreateFontIndirectW(&logFont));
    if (created == 0) return;
    SelectObject(Dc(dc_), As<HGDIOBJ>(created));
    if (font_ != 0) DeleteObject(As<HGDIOBJ>(font_));
    font_ = created;
    fontValue_ = font;
    haveFont_ = true;
}

void GdiMetafile::SetTextColor(ColorRef color) {
    if (!IsOpen() || (haveTextColor_ && textColor_ == color)) return;
    ::SetTextColor(Dc(dc_), color);
    textColor_ = color;
    haveTextColor_ = true;
}

void GdiMetafile::SetFillRule(FillRule rule) {
    if (!IsOpen() || (haveFillRule_ && fillRule_ == rule)) return;
    SetPolyFillMode(Dc(dc_), rule == FillRule::Winding ? WINDING : ALTERNATE);
    fillRule_ = rule;
    haveFillRule_ = true;
}

void GdiMetafile::Polyline(const std::vector<GdiPoint>& points) {
    if (!IsOpen() || points.size() < 2) return;
    const std::vector<POINT> gdi = ToPoints(points);
    ::Polyline(Dc(dc_), gdi.data(), static_cast<int>(gdi.size()));
}

void GdiMetafile::Polygon(const std::vector<GdiPoint>& points) {
    if (!IsOpen() || points.size() < 2) return;
    const std::vector<POINT> gdi = ToPoints(points);
    ::Polygon(Dc(dc_), gdi.data(), static_cast<int>(gdi.size()));
}

void GdiMetafile::PolyPolygon(const std::vector<std::vector<GdiPoint>>& polygons) {
    if (!IsOpen()) return;
    std::vector<POINT> all;
    std::vector<INT> counts;
    for (const std::vector<GdiPoint>& polygon : polygons) {
        if (polygon.size() < 2) continue;
        const std::vector<POINT> gdi = ToPoints(polygon);
        all.insert(all.end(), gdi.begin(), gdi.end());
        counts.push_back(static_cast<INT>(gdi.size()));
    }
    if (counts.empty()) return;
    if (counts.size() == 1) {
        ::Polygon(Dc(dc_), all.data(), counts[0]);
        return;
    }
    ::PolyPolygon(Dc(dc_), all.data(), counts.data(), static_cast<int>(counts.size()));
}

void GdiMetafile::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!IsOpen()) return;
    ::Rectangle(Dc(dc_), left, top, right, bottom);
}

void GdiMetafile::Text(int32_t x, int32_t y, const std::u16string& text,
                       const std::vector<int32_t>& advances) {
    if (!IsOpen() || text.empty()) return;
    std::vector<WCHAR> wide(text.begin(), text.end());
    std::vector<INT> dx(text.size(), 0);
    for (size_t i = 0; i < dx.size() && i < advances.size(); ++i) dx[i] = advances[i];
    ExtTextOutW(Dc(dc_), x, y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), dx.data());
}

void GdiMetafile::ReleaseObjects() {
    // Stock objects take the place of ours, so ours can be deleted.
    if (pen_ != 0) {
        SelectObject(Dc(dc_), GetStockObject(BLACK_PEN));
        DeleteObject(As<HGDIOBJ>(pen_));
        pen_ = 0;
    }
    if (brush_ != 0) {
        SelectObject(Dc(dc_), GetStockObject(WHITE_BRUSH));
        DeleteObject(As<HGDIOBJ>(brush_));
        brush_ = 0;
    }
    if (font_ != 0) {
        SelectObject(Dc(dc_), GetStockObject(SYSTEM_FONT));
        DeleteObject(As<HGDIOBJ>(font_));
        font_ = 0;
    }
    havePen_ = haveBrush_ = haveFont_ = false;
}

std::vector<unsigned char> GdiMetafile::Close() {
    std::vector<unsigned char> bytes;
    if (IsOpen()) {
        ReleaseObjects();
#ifdef _WIN32
        HENHMETAFILE metafile = CloseEnhMetaFile(Dc(dc_));
        if (metafile != nullptr) {
            const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
            bytes.resize(size);
            if (size == 0 || GetEnhMetaFileBits(metafile, size, bytes.data()) != size)
                bytes.clear();
            DeleteEnhMetaFile(metafile);
        }
#else
        HENHMETAFILE metafile = CloseEnhMetaFileWithFILE(Dc(dc_));
        if (metafile != 0) DeleteEnhMetaFile(metafile);
        DeleteDC(Dc(dc_));
#endif
        dc_ = 0;
    }
#ifndef _WIN32
    if (memory_ != nullptr) {
        auto* stream = static_cast<MemoryStream*>(memory_);
        // The bytes are complete once the stream is closed.
        const bool closed = std::fclose(stream->file) == 0;
        if (closed && stream->data != nullptr)
            bytes.assign(stream->data, stream->data + stream->size);
        std::free(stream->data);
        delete stream;
        memory_ = nullptr;
    }
#endif
    return bytes;
}

}  // namespace kelvaron::emf
