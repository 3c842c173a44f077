#include "app/jpeg_image.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared before it

#include <jpeglib.h>

namespace kelvaron {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return;
// the default one ends the process. Ours jumps back to the decoder instead.
struct JumpingErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg sees a jpeg_error_mgr*
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

// Warnings (msg_level -1) mean corrupt or truncated data: libjpeg would fill the
// rest of the picture with grey and carry on. A damaged picture is not shown, so
// a warning ends the decoding like an error. Trace messages are dropped.
void JumpOnWarning(j_common_ptr info, int msgLevel) {
    if (msgLevel < 0) JumpOnError(info);
}

void Silent(j_common_ptr) {}

// Everything the decoding touches lives in the caller's frame, so that a jump
// back into DecodeInto skips no destructor: this function owns no object of its
// own after setjmp, and the caller destroys the decompressor and the picture
// whichever way it returns.
bool DecodeInto(jpeg_decompress_struct* info, JumpingErrorManager* errors, const QByteArray* bytes,
                QImage* image) {
    if (setjmp(errors->jump)) return false;

    jpeg_create_decompress(info);
    // The constness differs between libjpeg versions; the source is only read.
    jpeg_mem_src(info, reinterpret_cast<unsigned char*>(const_cast<char*>(bytes->constData())),
                 static_cast<unsigned long>(bytes->size()));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    if (info->image_width == 0 || info->image_height == 0 || info->image_width > kMaxJpegSide ||
        info->image_height > kMaxJpegSide)
        return false;

    QImage::Format format = QImage::Format_RGB888;
    switch (info->jpeg_color_space) {
        case JCS_GRAYSCALE:
            info->out_color_space = JCS_GRAYSCALE;
            format = QImage::Format_Grayscale8;
            break;
        case JCS_RGB:
        case JCS_YCbCr:
            info->out_color_space = JCS_RGB;
            break;
        default:  // CMYK and YCCK would need an inversion and a conversion of their own
            return false;
    }

    jpeg_start_decompress(info);
    if (info->output_components != (format == QImage::Format_Grayscale8 ? 1 : 3)) return false;
    *image =
        QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height), format);
    if (image->isNull()) return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info->output_scanline));
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(info);
    return true;
}

}  // namespace

std::optional<QImage> DecodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > kMaxJpegFileBytes) return std::nullopt;
    jpeg_decompress_struct info{};
    JumpingErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.emit_message = JumpOnWarning;
    errors.base.output_message = Silent;
    QImage image;
    const bool decoded = DecodeInto(&info, &errors, &bytes, &image);
    // Frees everything libjpeg allocated; harmless on a decompressor that was
    // never created (its memory manager is then null).
    jpeg_destroy_decompress(&info);
    if (!decoded) return std::nullopt;
    return image;
}

std::optional<QImage> DecodeJpegFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.size() > kMaxJpegFileBytes) return std::nullopt;
    return DecodeJpeg(file.readAll());
}

}  // namespace kelvaron
