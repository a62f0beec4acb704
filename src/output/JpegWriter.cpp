#include "output/JpegWriter.h"

#include "output/JpegBand.h"

#include <QColorSpace>
#include <QIODevice>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <array>
#include <new>
#include <numeric>

namespace {

// The height of an MCU at 4:2:0: bands are cut on multiples of it so that
// no band but the last is padded.
constexpr int mcuHeight = 16;

// The largest side that libjpeg writes into a frame header (a little under
// 16 bits). Each band is shorter, so the joined height is checked here; the
// width is libjpeg's own to refuse.
constexpr int maxSide = 65500;

// Bands per worker thread, so that a thread done with a cheap band (flat
// UI) takes another while a busy one (text, photos) is still being coded.
constexpr int bandsPerThread = 4;

// Below this many pixels per band, starting another compressor costs more
// than it saves: small images are encoded in one piece.
constexpr qint64 minBandPixels = qint64(128) << 10;

// Buffers up to this size stay for the next capture; larger ones, left by
// a tall stitched image, are freed.
constexpr std::size_t keptBufferBytes = std::size_t(16) << 20;

constexpr std::array<std::uint8_t, 2> endOfImage{0xFF, 0xD9};

int mcuRowsOf(int height)
{
    return (height + mcuHeight - 1) / mcuHeight;
}

// MCU rows spread evenly over the bands: the first (rows % count) get one more.
int firstMcuRow(int band, int count, int mcuRows)
{
    return band * (mcuRows / count) + std::min(band, mcuRows % count);
}

bool writeAll(QIODevice &device, std::span<const std::uint8_t> bytes)
{
    const auto size = qint64(bytes.size());
    return device.write(reinterpret_cast<const char *>(bytes.data()), size) == size;
}

} // namespace

JpegWriter::JpegWriter()
    : JpegWriter(Options{})
{
}

JpegWriter::JpegWriter(Options options)
    : m_options(options)
    , m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(options.threads > 0 ? options.threads : QThread::idealThreadCount());
}

JpegWriter::~JpegWriter() = default;

void JpegWriter::releaseBuffers()
{
    m_bands.clear();
    m_layouts.clear();
}

QImage JpegWriter::prepareSource(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        break;
    }
    // As Qt's writer does: other formats, premultiplied or not, are
    // converted to straight opaque colour.
    return image.convertToFormat(QImage::Format_RGB32);
}

bool JpegWriter::write(const QImage &image, int quality, QIODevice &device)
{
    const QString size = QStringLiteral("%1 \u00d7 %2 pixels").arg(image.width()).arg(image.height());
    const QString tooLarge = QStringLiteral("The image is too large for JPEG: %1").arg(size);
    m_error.clear();
    if (image.isNull())
        m_error = QStringLiteral("The image has no pixels");
    else if (image.height() > maxSide)
        m_error = tooLarge;
    if (!m_error.isEmpty())
        return false;
    const QImage source = prepareSource(image);
    const int count = source.isNull() ? 0 : bandCountFor(source);
    // Besides a width past the limit, libjpeg refuses only what does not fit in memory.
    if (count == 0 || !encodeBands(source, count, quality))
        m_error = image.width() > maxSide
            ? tooLarge
            : QStringLiteral("Not enough memory to encode the image: %1").arg(size);
    else if (!writeStream(source, count, device))
        m_error = device.errorString();
    for (auto &band : m_bands)
        band->releaseBuffersAbove(keptBufferBytes);
    return m_error.isEmpty();
}

int JpegWriter::bandCountFor(const QImage &source) const
{
    const int mcuRows = mcuRowsOf(source.height());
    if (m_options.bands > 0)
        return std::clamp(m_options.bands, 1, mcuRows);
    const qint64 bySize = qint64(source.width()) * source.height() / minBandPixels;
    const int wanted = m_pool->maxThreadCount() * bandsPerThread;
    return int(std::clamp<qint64>(std::min<qint64>(wanted, bySize), 1, mcuRows));
}

bool JpegWriter::encodeBands(const QImage &source, int count, int quality)
{
    while (int(m_bands.size()) < count)
        m_bands.push_back(std::make_unique<JpegBand>());
    m_layouts.assign(std::size_t(count), std::nullopt);

    const QByteArray profile
        = source.colorSpace().isValid() ? source.colorSpace().iccProfile() : QByteArray();
    const int mcuRows = mcuRowsOf(source.height());
    auto encodeOne = [&](int i) {
        const int firstMcu = firstMcuRow(i, count, mcuRows);
        const int first = firstMcu * mcuHeight;
        const int end = std::min(source.height(), firstMcuRow(i + 1, count, mcuRows) * mcuHeight);
        JpegBand::Settings settings{quality, count > 1, {}};
        if (i == 0)
            settings.iccProfile
                = {reinterpret_cast<const std::uint8_t *>(profile.constData()), std::size_t(profile.size())};
        JpegBand &band = *m_bands[std::size_t(i)];
        if (!band.encode(source, {first, end - first}, settings))
            return;
        auto &layout = m_layouts[std::size_t(i)] = Jpeg::parseStream(band.stream());
        // Inside band i the restart markers count from RST0 again; in the
        // joined scan they continue from the MCU row where the band starts.
        if (layout)
            Jpeg::renumberRestarts(
                band.stream().subspan(layout->scanStart, layout->scanEnd - layout->scanStart),
                unsigned(firstMcu));
    };
    std::vector<int> indices(static_cast<std::size_t>(count));
    std::iota(indices.begin(), indices.end(), 0);
    if (count == 1)
        encodeOne(0);
    else
        QtConcurrent::blockingMap(m_pool.get(), indices, encodeOne);
    return std::all_of(
        m_layouts.begin(), m_layouts.end(), [](const auto &layout) { return layout.has_value(); });
}

bool JpegWriter::writeStream(const QImage &source, int count, QIODevice &device)
{
    const auto stream = m_bands[0]->stream();
    const Jpeg::StreamLayout &first = *m_layouts[0];
    if (count == 1)
        return writeAll(device, stream);
    // Band 0 carries the header (with the full height) and the first scan
    // rows; each later band adds its scan after the restart marker that
    // ends the rows before it.
    Jpeg::writeHeight(stream, first, std::uint16_t(source.height()));
    if (!writeAll(device, stream.first(first.scanEnd)))
        return false;
    const int mcuRows = mcuRowsOf(source.height());
    for (int i = 1; i < count; ++i) {
        const int firstMcu = firstMcuRow(i, count, mcuRows);
        const std::array<std::uint8_t, 2> restart{0xFF, Jpeg::restartMarkerCode(unsigned(firstMcu - 1))};
        const Jpeg::StreamLayout &layout = *m_layouts[std::size_t(i)];
        const auto scan
            = m_bands[std::size_t(i)]->stream().subspan(layout.scanStart, layout.scanEnd - layout.scanStart);
        if (!writeAll(device, restart) || !writeAll(device, scan))
            return false;
    }
    return writeAll(device, endOfImage);
}
