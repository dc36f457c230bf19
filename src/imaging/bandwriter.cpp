#include "bandwriter.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the band writers read 32-bit pixels as B, G, R, A bytes");

namespace {

constexpr qsizetype kOutputBufferBytes = 1 << 16;
constexpr double kMetresPerInch = 0.0254;
constexpr int kMaxDensity = 65535;
// PNG takes no quality: Qt's PNG encoder ignores it too. zlib level 3 packs
// a photographic poster within a few percent of the default level at a
// fraction of its time.
constexpr int kPngCompressionLevel = 3;

// ---------------------------------------------------------------------------
// JPEG. libjpeg reports errors by calling error_exit, which must not
// return; it jumps back to the setjmp of the call that failed. Every
// function that calls into libjpeg sets its jump point first and holds
// nothing with a destructor across the calls.

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

struct JpegDestination
{
    jpeg_destination_mgr manager;
    QIODevice* device = nullptr;
    std::vector<JOCTET> buffer;
    bool deviceFailed = false;
};

void jpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegOutputMessage(j_common_ptr) {} // warnings stay quiet

void jpegInitDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    dest->manager.next_output_byte = dest->buffer.data();
    dest->manager.free_in_buffer = dest->buffer.size();
}

void flushJpeg(JpegDestination* dest, qsizetype bytes)
{
    // After a failed write the rest is dropped; the caller sees the flag.
    if (!dest->deviceFailed && bytes > 0
        && dest->device->write(reinterpret_cast<const char*>(dest->buffer.data()), bytes) != bytes)
        dest->deviceFailed = true;
}

boolean jpegEmptyOutputBuffer(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    flushJpeg(dest, qsizetype(dest->buffer.size()));
    dest->manager.next_output_byte = dest->buffer.data();
    dest->manager.free_in_buffer = dest->buffer.size();
    return TRUE;
}

void jpegTermDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    flushJpeg(dest, qsizetype(dest->buffer.size() - dest->manager.free_in_buffer));
}

class JpegBandWriter : public CBandWriter
{
public:
    JpegBandWriter()
    {
        m_info.err = jpeg_std_error(&m_error.manager);
        m_error.manager.error_exit = jpegErrorExit;
        m_error.manager.output_message = jpegOutputMessage;
        m_destination.buffer.resize(kOutputBufferBytes);
        m_destination.manager.init_destination = jpegInitDestination;
        m_destination.manager.empty_output_buffer = jpegEmptyOutputBuffer;
        m_destination.manager.term_destination = jpegTermDestination;
    }

    ~JpegBandWriter() override
    {
        if (m_created)
            jpeg_destroy_compress(&m_info);
    }

    Status begin(QIODevice& device, QSize size, float dotsPerInch, int quality, bool) override
    {
        m_destination.device = &device;
        if (size.width() > JPEG_MAX_DIMENSION || size.height() > JPEG_MAX_DIMENSION || size.isEmpty())
            return Status::EncoderError;
        if (setjmp(m_error.jump))
            return fail();
        jpeg_create_compress(&m_info);
        m_created = true;
        m_info.dest = &m_destination.manager;
        m_info.image_width = JDIMENSION(size.width());
        m_info.image_height = JDIMENSION(size.height());
        m_info.input_components = 4;
        m_info.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&m_info);
        jpeg_set_quality(&m_info, std::clamp(quality, 0, 100), TRUE);
        m_info.density_unit = 1; // dots per inch
        const UINT16 density = UINT16(std::clamp<long>(std::lround(dotsPerInch), 1, kMaxDensity));
        m_info.X_density = density;
        m_info.Y_density = density;
        jpeg_start_compress(&m_info, TRUE);
        return status();
    }

    Status writeRows(const QImage& band, int rows) override
    {
        if (m_failed)
            return Status::EncoderError;
        m_rows.resize(std::size_t(rows));
        for (int y = 0; y < rows; ++y)
            m_rows[std::size_t(y)] = const_cast<JSAMPROW>(band.constScanLine(y));
        if (setjmp(m_error.jump))
            return fail();
        jpeg_write_scanlines(&m_info, m_rows.data(), JDIMENSION(rows));
        return status();
    }

    Status finish() override
    {
        if (m_failed)
            return Status::EncoderError;
        if (setjmp(m_error.jump))
            return fail();
        jpeg_finish_compress(&m_info);
        return status();
    }

private:
    Status status() const { return m_destination.deviceFailed ? Status::DeviceError : Status::Ok; }
    Status fail()
    {
        m_failed = true;
        return m_destination.deviceFailed ? Status::DeviceError : Status::EncoderError;
    }

    jpeg_compress_struct m_info{};
    JpegError m_error{};
    JpegDestination m_destination;
    std::vector<JSAMPROW> m_rows;
    bool m_created = false;
    bool m_failed = false;
};

// ---------------------------------------------------------------------------
// PNG. libpng jumps back to png_jmpbuf on errors, like libjpeg.

struct PngSink
{
    QIODevice* device = nullptr;
    bool deviceFailed = false;
};

void pngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink->device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        sink->deviceFailed = true;
        png_error(png, "write failed");
    }
}

void pngFlush(png_structp) {}

void pngWarning(png_structp, png_const_charp) {}

class PngBandWriter : public CBandWriter
{
public:
    ~PngBandWriter() override
    {
        if (m_png)
            png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
    }

    Status begin(QIODevice& device, QSize size, float dotsPerInch, int, bool alpha) override
    {
        m_sink.device = &device;
        m_alpha = alpha;
        m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, pngWarning);
        if (!m_png)
            return Status::EncoderError;
        m_info = png_create_info_struct(m_png);
        if (!m_info || size.isEmpty())
            return fail();
        if (setjmp(png_jmpbuf(m_png)))
            return fail();
        png_set_write_fn(m_png, &m_sink, pngWrite, pngFlush);
        png_set_compression_level(m_png, kPngCompressionLevel);
        png_set_IHDR(m_png, m_info, png_uint_32(size.width()), png_uint_32(size.height()), 8,
                     alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        const auto perMetre = png_uint_32(std::lround(dotsPerInch / kMetresPerInch));
        png_set_pHYs(m_png, m_info, perMetre, perMetre, PNG_RESOLUTION_METER);
        png_write_info(m_png, m_info);
        // Qt's 32-bit pixels are B, G, R, A in memory.
        png_set_bgr(m_png);
        if (!alpha)
            png_set_filler(m_png, 0, PNG_FILLER_AFTER);
        return Status::Ok;
    }

    Status writeRows(const QImage& band, int rows) override
    {
        if (m_failed)
            return Status::EncoderError;
        // PNG keeps straight alpha.
        const QImage straight = m_alpha ? band.convertToFormat(QImage::Format_ARGB32) : band;
        if (straight.isNull())
            return Status::EncoderError;
        if (setjmp(png_jmpbuf(m_png)))
            return fail();
        for (int y = 0; y < rows; ++y)
            png_write_row(m_png, const_cast<png_bytep>(straight.constScanLine(y)));
        return Status::Ok;
    }

    Status finish() override
    {
        if (m_failed)
            return Status::EncoderError;
        if (setjmp(png_jmpbuf(m_png)))
            return fail();
        png_write_end(m_png, m_info);
        return Status::Ok;
    }

private:
    Status fail()
    {
        m_failed = true;
        return m_sink.deviceFailed ? Status::DeviceError : Status::EncoderError;
    }

    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    PngSink m_sink;
    bool m_alpha = false;
    bool m_failed = false;
};

} // namespace

namespace BandWriters {

std::unique_ptr<CBandWriter> forFormat(const QByteArray& format)
{
    const QByteArray name = format.toLower();
    if (name == "jpeg" || name == "jpg")
        return std::make_unique<JpegBandWriter>();
    if (name == "png")
        return std::make_unique<PngBandWriter>();
    return nullptr;
}

} // namespace BandWriters
