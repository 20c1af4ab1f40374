#include "Pictures.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t
#include <jpeglib.h>
#include <bit>
#include <memory>

namespace {
// libjpeg's own error handler ends the process: jump back out of the decoder instead.
struct TJpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}  // warnings of a damaged picture are not the clerk's business

static_assert(std::endian::native == std::endian::little, "BGRX is Format_RGB32 only on little-endian machines");
}  // namespace

QImage DecodeJpeg(const QByteArray& bytes, QString* error)
{
    jpeg_decompress_struct info;
    TJpegError err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = JpegErrorExit;
    err.base.emit_message = JpegQuiet;
    err.message[0] = '\0';
    // Only this pointer is set before the jump point; what it points to lives in memory, so
    // it is sound after a jump back.
    const auto image = std::make_unique<QImage>();
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = QString::fromLocal8Bit(err.message);
        return QImage();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;  // the byte order of QImage::Format_RGB32 on this machine
    jpeg_start_decompress(&info);
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB32);
    if (image->isNull()) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = QStringLiteral("picture too large");
        return QImage();
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return std::move(*image);
}

QImage LoadPicture(const QString& name)
{
    QFile file(QStringLiteral(":/pictures/%1.jpg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return DecodeJpeg(file.readAll());
}

QIcon ActionIcon(const QString& glyph, const QColor& colour)
{
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(colour.darker(140));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
        QFont f(QStringLiteral("宋体"));
        f.setPixelSize(size * 2 / 3);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ProgramIcon() { return ActionIcon(QStringLiteral("T"), QColor(0x1d6f8f)); }
