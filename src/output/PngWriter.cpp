#include "output/PngWriter.h"

#include "output/PngChunks.h"
#include "output/PngStrip.h"

#include <QIODevice>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <new>
#include <numeric>

namespace {

// Bands above this size are split further, which keeps every band within
// the compressor's 32-bit counters however tall a stitched image gets.
constexpr std::size_t maxStripBytes = std::size_t(64) << 20;

// Bands per worker thread: enough that a thread finishing a cheap band
// (flat UI) takes another while a photo-like band is still being compressed.
constexpr int stripsPerThread = 4;

// Buffers up to this size stay for the next capture (a 4K screen needs a
// few MiB per band); larger ones, left by a tall stitched image, are freed.
constexpr std::size_t keptBufferBytes = std::size_t(16) << 20;

// The zlib stream header: DEFLATE with a 32 KiB window, "fastest" level.
constexpr std::array<std::uint8_t, 2> zlibHeader{0x78, 0x01};

} // namespace

PngWriter::PngWriter()
    : PngWriter(Options{})
{
}

PngWriter::PngWriter(Options options)
    : m_options(options)
    , m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(options.threads > 0 ? options.threads : QThread::idealThreadCount());
}

PngWriter::~PngWriter()
{
    m_prepared.waitForFinished();
}

void PngWriter::prepare(const QSize &size)
{
    if (size.isEmpty())
        return;
    m_prepared.waitForFinished();
    const std::size_t rowBytes = std::size_t(size.width()) * 3;
    const int height = size.height();
    const int count = stripCountFor(rowBytes, height);
    while (int(m_strips.size()) < count)
        m_strips.push_back(std::make_unique<PngStrip>());
    m_prepared = QtConcurrent::run(m_pool.get(), [this, rowBytes, height, count, level = m_options.level] {
        for (int i = 0; i < count; ++i) {
            const int rows = height / count + (i < height % count ? 1 : 0);
            m_strips[std::size_t(i)]->reserve((rowBytes + 1) * std::size_t(rows), level);
        }
    });
}

void PngWriter::releaseBuffers()
{
    m_prepared.waitForFinished();
    m_strips.clear();
}

bool PngWriter::write(const QImage &image, QIODevice &device)
{
    const QString size = QStringLiteral("%1 \u00d7 %2 pixels").arg(image.width()).arg(image.height());
    if (image.isNull()) {
        m_error = QStringLiteral("The image has no pixels");
        return false;
    }
    m_error.clear();
    m_prepared.waitForFinished();
    const Png::Source source = Png::prepareSource(image);
    if (source.image.isNull()) // the conversion ran out of memory
        m_error = QStringLiteral("Not enough memory to encode the image: %1").arg(size);
    else if (const int count = stripCountFor(source.rowBytes(), source.image.height());
             !encodeStrips(source, count))
        m_error = QStringLiteral("The PNG compressor failed (out of memory?): %1").arg(size);
    else if (!writeStream(source, count, device))
        m_error = device.errorString();
    for (auto &strip : m_strips)
        strip->releaseBuffersAbove(keptBufferBytes);
    return m_error.isEmpty();
}

int PngWriter::stripCountFor(std::size_t rowBytes, int height) const
{
    const std::size_t total = (rowBytes + 1) * std::size_t(height);
    const int wanted = m_options.strips > 0 ? m_options.strips : m_pool->maxThreadCount() * stripsPerThread;
    const int bySize = int((total + maxStripBytes - 1) / maxStripBytes);
    return std::clamp(std::max(wanted, bySize), 1, height);
}

bool PngWriter::encodeStrips(const Png::Source &source, int count)
{
    while (int(m_strips.size()) < count)
        m_strips.push_back(std::make_unique<PngStrip>());

    const int height = source.image.height();
    std::vector<int> indices(static_cast<std::size_t>(count));
    std::iota(indices.begin(), indices.end(), 0);
    std::vector<char> ok(std::size_t(count), 0);
    auto encodeOne = [&](int i) {
        // Rows spread evenly: the first (height % count) bands get one more.
        const int base = height / count, extra = height % count;
        const PngStrip::Rows rows{i * base + std::min(i, extra), base + (i < extra ? 1 : 0), i == count - 1};
        try {
            ok[std::size_t(i)]
                = m_strips[std::size_t(i)]->encode(source, rows, m_options.filter, m_options.level);
        } catch (const std::bad_alloc &) {
            // A huge stitched image may not fit twice in memory: a failed
            // write, not a crash.
            ok[std::size_t(i)] = 0;
        }
    };
    if (count == 1)
        encodeOne(0);
    else
        QtConcurrent::blockingMap(m_pool.get(), indices, encodeOne);
    return std::all_of(ok.begin(), ok.end(), [](char c) { return c != 0; });
}

bool PngWriter::writeStream(const Png::Source &source, int count, QIODevice &device) const
{
    std::uint32_t adler = m_strips[0]->adler();
    for (int i = 1; i < count; ++i) {
        const PngStrip &strip = *m_strips[std::size_t(i)];
        adler = Png::adler32Combine(adler, strip.adler(), strip.filteredSize());
    }
    const std::array<std::uint8_t, 4> trailer{
        std::uint8_t(adler >> 24), std::uint8_t(adler >> 16), std::uint8_t(adler >> 8), std::uint8_t(adler)};
    if (!Png::writeHeader(device, std::uint32_t(source.image.width()), std::uint32_t(source.image.height()),
            source.channels()))
        return false;
    // One IDAT chunk per band; the zlib header opens the first, the
    // checksum closes the last.
    for (int i = 0; i < count; ++i) {
        const auto head
            = i == 0 ? std::span<const std::uint8_t>(zlibHeader) : std::span<const std::uint8_t>();
        const auto tail
            = i == count - 1 ? std::span<const std::uint8_t>(trailer) : std::span<const std::uint8_t>();
        if (!Png::writeChunk(device, "IDAT", {head, m_strips[std::size_t(i)]->compressed(), tail}))
            return false;
    }
    return Png::writeEnd(device);
}
