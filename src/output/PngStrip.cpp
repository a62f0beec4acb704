#include "output/PngStrip.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>

namespace {

std::size_t levelBufferSize(int level)
{
    switch (level) {
    case 1:
        return ISAL_DEF_LVL1_DEFAULT;
    case 2:
        return ISAL_DEF_LVL2_DEFAULT;
    case 3:
        return ISAL_DEF_LVL3_DEFAULT;
    default:
        return 0;
    }
}

} // namespace

PngStrip::PngStrip()
    : m_stream(std::make_unique<isal_zstream>())
{
}

PngStrip::~PngStrip() = default;

bool PngStrip::encode(const Png::Source &source, Rows rows, Png::Filter filter, int level)
{
    filterRows(source, rows, filter);
    m_adler = isal_adler32(1, m_filtered.data(), m_filtered.size());
    return deflate(level, rows.last);
}

void PngStrip::reserve(std::size_t filteredBytes, int level)
{
    const auto ready = [](RawBytes &buffer, std::size_t bytes) {
        if (buffer.size() < bytes)
            buffer.resize(bytes);
        // A page is the kernel's once written to.
        for (std::size_t i = 0; i < bytes; i += 4096)
            buffer[i] = 0;
    };
    ready(m_filtered, filteredBytes);
    ready(m_out, filteredBytes + filteredBytes / 64 + 1024);
    m_levelBuffer.resize(levelBufferSize(level));
}

void PngStrip::releaseBuffersAbove(std::size_t bytes)
{
    for (auto *buffer : {&m_previous, &m_current, &m_filtered, &m_out}) {
        if (buffer->capacity() > bytes) {
            buffer->clear();
            buffer->shrink_to_fit();
        }
    }
    m_outSize = std::min(m_outSize, m_out.size());
}

void PngStrip::filterRows(const Png::Source &source, Rows rows, Png::Filter filter)
{
    const std::size_t rowBytes = source.rowBytes();
    m_filtered.resize((rowBytes + 1) * std::size_t(rows.count));
    std::uint8_t *out = m_filtered.data();
    if (filter == Png::Filter::none) {
        // Nothing to subtract: pack straight into place.
        for (int i = 0; i < rows.count; ++i, out += rowBytes + 1) {
            out[0] = std::uint8_t(Png::Filter::none);
            Png::packRow(source, rows.first + i, out + 1);
        }
        return;
    }
    m_previous.resize(rowBytes);
    m_current.resize(rowBytes);
    // The filters look at the row above, which for a band's first row
    // belongs to the band before it.
    const bool hasAbove = rows.first > 0;
    if (hasAbove)
        Png::packRow(source, rows.first - 1, m_previous.data());
    for (int i = 0; i < rows.count; ++i, out += rowBytes + 1) {
        Png::packRow(source, rows.first + i, m_current.data());
        const bool above = i > 0 || hasAbove;
        Png::filterRow(
            filter, m_current.data(), above ? m_previous.data() : nullptr, rowBytes, source.channels(), out);
        std::swap(m_previous, m_current);
    }
}

bool PngStrip::deflate(int level, bool last)
{
    isal_zstream &stream = *m_stream;
    isal_deflate_init(&stream);
    m_levelBuffer.resize(levelBufferSize(level));
    stream.level = std::uint32_t(level);
    stream.level_buf = m_levelBuffer.empty() ? nullptr : m_levelBuffer.data();
    stream.level_buf_size = std::uint32_t(m_levelBuffer.size());
    stream.gzip_flag = IGZIP_DEFLATE;
    stream.end_of_stream = last ? 1 : 0;
    // A full flush ends the band on a byte boundary and keeps its blocks
    // non-final, so the next band's blocks can follow it directly.
    stream.flush = last ? NO_FLUSH : FULL_FLUSH;
    stream.next_in = m_filtered.data();
    stream.avail_in = std::uint32_t(m_filtered.size());

    // Incompressible data grows by a few bytes per stored block.
    m_out.resize(std::max<std::size_t>(m_out.size(), m_filtered.size() + m_filtered.size() / 64 + 1024));
    m_outSize = 0;
    for (;;) {
        stream.next_out = m_out.data() + m_outSize;
        stream.avail_out = std::uint32_t(m_out.size() - m_outSize);
        const int result = isal_deflate(&stream);
        m_outSize = m_out.size() - stream.avail_out;
        if (result != COMP_OK)
            return false;
        if (stream.avail_in == 0 && stream.avail_out > 0)
            break;
        m_out.resize(m_out.size() * 2);
    }
    return !last || stream.internal_state.state == ZSTATE_END;
}
