#pragma once
// A paint device whose painting becomes an Enhanced Metafile: lines, shapes and
// text are written as GDI records (polylines, polygons, rectangles, ExtTextOutW
// with its font), so word processors scale the picture without blur.
//
// The picture is `size` pixels at 96 dpi; its frame on paper is that size at
// 96 dpi. Inside the file one pixel is kUnitsPerPixel logical units (twips), so
// fractional positions survive.
//
//   EmfPaintDevice device(QSize(800, 500));
//   QPainter painter(&device);
//   ... paint ...
//   painter.end();
//   const QByteArray file = device.Finish();
#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

namespace kelvaron {

class EmfPaintEngine;

class EmfPaintDevice final : public QPaintDevice {
public:
    static constexpr int kDotsPerInch = 96;
    static constexpr int kUnitsPerPixel = 15;  // 1440 twips per inch / 96 pixels per inch

    explicit EmfPaintDevice(QSize size);
    ~EmfPaintDevice() override;
    EmfPaintDevice(const EmfPaintDevice&) = delete;
    EmfPaintDevice& operator=(const EmfPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;
    QSize Size() const { return size_; }

    // Ends the picture and returns the whole file; empty when the metafile could
    // not be made or a painter is still active. Painting ends with it.
    QByteArray Finish();

    // Pixmaps and images met while painting; the file leaves them out.
    int SkippedImages() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size_;
    std::unique_ptr<EmfPaintEngine> engine_;
};

}  // namespace kelvaron
