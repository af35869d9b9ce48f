#include "ui/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg's own error exit ends the process; this one jumps back to the caller.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf resume;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->resume, 1);
}

void SilentMessage(j_common_ptr) {}

} // namespace

QImage DecodeJpeg(const QByteArray& data, QString* error)
{
    jpeg_decompress_struct info;
    ErrorManager manager;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = ErrorExit;
    manager.base.output_message = SilentMessage;
    manager.message[0] = '\0';
    QImage image;   // declared before setjmp so the jump leaves it in a defined state

    if (setjmp(manager.resume)) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = QString::fromLatin1(manager.message);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    // A truncated file is only a warning to libjpeg (the rest is painted grey).
    const long warnings = manager.base.num_warnings;
    jpeg_destroy_decompress(&info);
    if (warnings != 0) {
        if (error)
            *error = QStringLiteral("the picture is damaged or incomplete");
        return {};
    }
    return image;
}
