#include "output/JpegBand.h"

#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <cstring>
#include <new>

#include <jpeglib.h>

// libjpeg reports a fatal error through a callback that must not return.
// The callback jumps back to the one function that drives the compressor
// (JpegBand::run), whose frame holds nothing with a destructor, so the jump
// skips no C++ cleanup. An exception thrown through libjpeg's C frames would
// not be safe.
struct JpegBand::Compressor
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf jump{};
    bool created = false;
    // The output buffer; allocated without zeroing since every byte that
    // is read back has been written by the encoder.
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t capacity = 0;
    std::size_t size = 0;
};

namespace {

// The first buffer of a band; later ones keep the size that the last image needed.
constexpr std::size_t initialCapacity = std::size_t(64) << 10;

// Rows handed to libjpeg per call.
constexpr int rowsPerCall = 16;

JpegBand::Compressor &compressorOf(j_compress_ptr info)
{
    return *static_cast<JpegBand::Compressor *>(info->client_data);
}

[[noreturn]] void failed(j_common_ptr info)
{
    std::longjmp(static_cast<JpegBand::Compressor *>(info->client_data)->jump, 1);
}

// Warnings (none are expected while compressing) are not printed.
void ignoreMessage(j_common_ptr) { }

void startBuffer(j_compress_ptr info)
{
    auto &c = compressorOf(info);
    info->dest->next_output_byte = c.buffer.get();
    info->dest->free_in_buffer = c.capacity;
}

// Called when the buffer is full: doubles it, keeping what was written.
boolean growBuffer(j_compress_ptr info)
{
    auto &c = compressorOf(info);
    auto *larger = new (std::nothrow) std::uint8_t[c.capacity * 2];
    if (!larger)
        failed(reinterpret_cast<j_common_ptr>(info));
    std::memcpy(larger, c.buffer.get(), c.capacity);
    c.buffer.reset(larger);
    info->dest->next_output_byte = larger + c.capacity;
    info->dest->free_in_buffer = c.capacity;
    c.capacity *= 2;
    return TRUE;
}

void finishBuffer(j_compress_ptr info)
{
    auto &c = compressorOf(info);
    c.size = c.capacity - info->dest->free_in_buffer;
}

void create(JpegBand::Compressor &c)
{
    c.info.err = jpeg_std_error(&c.errors);
    c.errors.error_exit = failed;
    c.errors.output_message = ignoreMessage;
    c.info.client_data = &c;
    jpeg_create_compress(&c.info);
    c.destination.init_destination = startBuffer;
    c.destination.empty_output_buffer = growBuffer;
    c.destination.term_destination = finishBuffer;
    c.info.dest = &c.destination;
    c.created = true;
}

// Qt's 32-bit formats hold each pixel as one native-endian 0xAARRGGBB word.
constexpr J_COLOR_SPACE nativeBgrx = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

std::uint16_t dotsPerInch(int dotsPerMeter)
{
    return std::uint16_t(std::clamp(qRound(dotsPerMeter * 0.0254), 1, 65535));
}

void configure(
    jpeg_compress_struct &info, const QImage &image, int height, const JpegBand::Settings &settings)
{
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = nativeBgrx;
    jpeg_set_defaults(&info); // 4:2:0, standard Huffman tables, a JFIF header
    jpeg_set_quality(&info, std::clamp(settings.quality, 0, 100), TRUE);
    info.density_unit = 1; // dots per inch, as Qt's writer stores them
    info.X_density = dotsPerInch(image.dotsPerMeterX());
    info.Y_density = dotsPerInch(image.dotsPerMeterY());
    info.restart_in_rows = settings.restartEveryRow ? 1 : 0;
}

void writeRows(jpeg_compress_struct &info, const QImage &image, JpegBand::Rows rows)
{
    // libjpeg only reads the rows; its API is not const-correct.
    auto *bits = const_cast<std::uint8_t *>(image.constBits());
    const auto stride = std::size_t(image.bytesPerLine());
    JSAMPROW batch[rowsPerCall];
    int y = rows.first;
    const int end = rows.first + rows.count;
    while (y < end) {
        const int n = std::min(rowsPerCall, end - y);
        for (int i = 0; i < n; ++i)
            batch[i] = bits + stride * std::size_t(y + i);
        y += int(jpeg_write_scanlines(&info, batch, JDIMENSION(n)));
    }
}

} // namespace

JpegBand::JpegBand()
    : m_compressor(std::make_unique<Compressor>())
{
}

JpegBand::~JpegBand()
{
    if (m_compressor->created)
        jpeg_destroy_compress(&m_compressor->info);
}

bool JpegBand::encode(const QImage &image, Rows rows, const Settings &settings)
{
    Compressor &c = *m_compressor;
    if (!c.buffer) {
        c.buffer.reset(new (std::nothrow) std::uint8_t[initialCapacity]);
        if (!c.buffer)
            return false;
        c.capacity = initialCapacity;
    }
    c.size = 0;
    const bool ok = run(image, rows, settings);
    m_outSize = ok ? c.size : 0;
    return ok;
}

std::span<std::uint8_t> JpegBand::stream()
{
    return {m_compressor->buffer.get(), m_outSize};
}

void JpegBand::releaseBuffersAbove(std::size_t bytes)
{
    Compressor &c = *m_compressor;
    if (c.capacity > bytes) {
        c.buffer.reset();
        c.capacity = 0;
        m_outSize = 0;
    }
}

bool JpegBand::run(const QImage &image, Rows rows, const Settings &settings)
{
    Compressor &c = *m_compressor;
    if (setjmp(c.jump)) {
        jpeg_abort_compress(&c.info); // leaves the compressor ready for the next image
        return false;
    }
    if (!c.created)
        create(c);
    configure(c.info, image, rows.count, settings);
    jpeg_start_compress(&c.info, TRUE);
    if (!settings.iccProfile.empty())
        jpeg_write_icc_profile(&c.info, settings.iccProfile.data(), unsigned(settings.iccProfile.size()));
    writeRows(c.info, image, rows);
    jpeg_finish_compress(&c.info);
    return true;
}
