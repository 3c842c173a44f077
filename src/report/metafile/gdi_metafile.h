#pragma once
// The one place that talks to the GDI metafile functions: on Windows the system's
// own GDI, elsewhere libEMF, which offers the same calls and writes the same
// records. The rest of the program sees plain values here and never a Windows
// header. The metafile is kept in memory; Close() hands back the file's bytes.
//
// Units: coordinates, pen widths and font heights are logical units; the caller
// chooses how many of them make the picture (SetLogicalSize), and the frame in
// hundredths of a millimetre fixes the picture's printed size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvaron::emf {

struct GdiPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const GdiPoint&, const GdiPoint&) = default;
};

// A colour as GDI wants it: 0x00BBGGRR.
using ColorRef = uint32_t;

enum class PenStyle { Null, Solid, Dash, Dot, DashDot, DashDotDot };
enum class PenCap { Round, Square, Flat };
enum class PenJoin { Round, Bevel, Miter };

struct GdiPen {
    PenStyle style = PenStyle::Solid;
    int32_t width = 1;  // logical units
    ColorRef color = 0;
    PenCap cap = PenCap::Square;
    PenJoin join = PenJoin::Bevel;
    friend bool operator==(const GdiPen&, const GdiPen&) = default;
};

struct GdiBrush {
    bool null = false;  // paints nothing
    ColorRef color = 0;
    friend bool operator==(const GdiBrush&, const GdiBrush&) = default;
};

enum class FontPitch { Variable, Fixed };

struct GdiFont {
    int32_t height = 0;      // the character height (em size) in logical units, positive
    int32_t escapement = 0;  // tenths of a degree, counter-clockwise as seen on the page
    int32_t weight = 400;    // 100..900, 400 normal, 700 bold
    bool italic = false;
    FontPitch pitch = FontPitch::Variable;
    std::u16string face;  // at most 31 characters are kept
    friend bool operator==(const GdiFont&, const GdiFont&) = default;
};

enum class FillRule { Alternate, Winding };

class GdiMetafile {
public:
    // A new metafile whose frame (its size on paper) is frameWidth x frameHeight
    // hundredths of a millimetre.
    GdiMetafile(int32_t frameWidth, int32_t frameHeight);
    ~GdiMetafile();
    GdiMetafile(const GdiMetafile&) = delete;
    GdiMetafile& operator=(const GdiMetafile&) = delete;

    // False when the metafile could not be created; every call is then ignored.
    bool IsOpen() const { return dc_ != 0; }

    // Maps logical units 0..width, 0..height onto the frame (x to the right,
    // y downwards). Call once, before drawing.
    void SetLogicalSize(int32_t width, int32_t height);

    // The drawing objects. A record is written only when the object changes.
    void SelectPen(const GdiPen& pen);
    void SelectBrush(const GdiBrush& brush);
    void SelectFont(const GdiFont& font);
    void SetTextColor(ColorRef color);
    void SetFillRule(FillRule rule);

    // Lines through the points with the selected pen.
    void Polyline(const std::vector<GdiPoint>& points);
    // Closed shapes, filled with the selected brush and outlined with the selected pen.
    void Polygon(const std::vector<GdiPoint>& points);
    void PolyPolygon(const std::vector<std::vector<GdiPoint>>& polygons);
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Text with its baseline's left end at (x, y), in the selected font and text
    // colour, on a transparent background. `advances` (one per UTF-16 unit, logical
    // units along the baseline) fixes where each character goes.
    void Text(int32_t x, int32_t y, const std::u16string& text,
              const std::vector<int32_t>& advances);

    // Writes the end record and returns the whole file; empty when the metafile
    // could not be made. The metafile takes no more drawing afterwards.
    std::vector<unsigned char> Close();

private:
    void ReleaseObjects();

    uintptr_t dc_ = 0;   // the metafile's device context
    uintptr_t pen_ = 0;  // objects created here and selected now (0: a stock object)
    uintptr_t brush_ = 0;
    uintptr_t font_ = 0;
    bool havePen_ = false;  // whether the cached values below describe the selection
    bool haveBrush_ = false;
    bool haveFont_ = false;
    bool haveTextColor_ = false;
    bool haveFillRule_ = false;
    GdiPen penValue_;
    GdiBrush brushValue_;
    GdiFont fontValue_;
    ColorRef textColor_ = 0;
    FillRule fillRule_ = FillRule::Alternate;
    int32_t frameWidth_ = 0;
    int32_t frameHeight_ = 0;
    [[maybe_unused]] void* memory_ = nullptr;  // where the bytes gather (libEMF only)
};

}  // namespace kelvaron::emf
