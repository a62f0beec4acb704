// Encoding alone, on synthetic screen content, with the candidates that
// chose the writers' settings: for PNG filter type, igzip level and band
// count against libdeflate on the whole image and Qt's own PNG writer; for
// JPEG the band count of our writer against Qt's JPEG writer.
#include "BenchSupport.h"

#include "output/JpegWriter.h"
#include "output/PngRows.h"
#include "output/PngWriter.h"

#include <QBuffer>
#include <QImageWriter>

#include <libdeflate.h>

#include <vector>

namespace {

void reportSize(benchmark::State &state, qint64 bytes, QSize size)
{
    Bench::setLabel(state, size);
    state.counters["bytes"] = double(bytes);
    state.counters["MB/s"] = benchmark::Counter(
        double(size.width()) * size.height() * 4 * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// Args: size index.
void BM_PngWriter(benchmark::State &state)
{
    const QImage image = Bench::content(Bench::screenSize(int(state.range(0))));
    PngWriter writer;
    QBuffer buffer;
    for (auto _ : state) {
        buffer.close();
        buffer.setData(QByteArray());
        buffer.open(QIODevice::WriteOnly);
        if (!writer.write(image, buffer))
            state.SkipWithError("write failed");
    }
    reportSize(state, buffer.size(), image.size());
}
BENCHMARK(BM_PngWriter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Args: size index, filter, igzip level, bands (0: automatic).
void BM_PngWriterOptions(benchmark::State &state)
{
    const QImage image = Bench::content(Bench::screenSize(int(state.range(0))));
    PngWriter writer({Png::Filter(state.range(1)), int(state.range(2)), int(state.range(3)), 0});
    QBuffer buffer;
    for (auto _ : state) {
        buffer.close();
        buffer.setData(QByteArray());
        buffer.open(QIODevice::WriteOnly);
        writer.write(image, buffer);
    }
    reportSize(state, buffer.size(), image.size());
}
BENCHMARK(BM_PngWriterOptions)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 4}, {0, 1, 2, 3}, {0}})
    ->ArgsProduct({{0, 1}, {2}, {1}, {1, 2, 4, 8, 16, 32}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole image filtered (Up) then compressed in one piece by libdeflate,
// on one thread: the alternative to bands compressed in parallel.
// Args: size index, libdeflate level.
void BM_LibdeflateWholeImage(benchmark::State &state)
{
    const QImage image = Bench::content(Bench::screenSize(int(state.range(0))));
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(int(state.range(1)));
    std::vector<std::uint8_t> rows, out;
    std::size_t compressed = 0;
    for (auto _ : state) {
        const Png::Source source = Png::prepareSource(image);
        const std::size_t stride = source.rowBytes() + 1;
        rows.resize(stride * std::size_t(image.height()));
        std::vector<std::uint8_t> previous(source.rowBytes()), current(source.rowBytes());
        for (int y = 0; y < image.height(); ++y) {
            Png::packRow(source, y, current.data());
            Png::filterRow(Png::Filter::up, current.data(), y ? previous.data() : nullptr, source.rowBytes(),
                3, rows.data() + stride * std::size_t(y));
            std::swap(previous, current);
        }
        out.resize(libdeflate_zlib_compress_bound(compressor, rows.size()));
        compressed = libdeflate_zlib_compress(compressor, rows.data(), rows.size(), out.data(), out.size());
    }
    libdeflate_free_compressor(compressor);
    reportSize(state, qint64(compressed), image.size());
}
BENCHMARK(BM_LibdeflateWholeImage)
    ->ArgsProduct({{0, 1}, {1, 2, 4, 6}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Args: size index, quality in percent, bands (0: automatic), threads (0: one per core).
void BM_JpegWriter(benchmark::State &state)
{
    const QImage image = Bench::content(Bench::screenSize(int(state.range(0))));
    JpegWriter writer({int(state.range(2)), int(state.range(3))});
    QBuffer buffer;
    for (auto _ : state) {
        buffer.close();
        buffer.setData(QByteArray());
        buffer.open(QIODevice::WriteOnly);
        if (!writer.write(image, int(state.range(1)), buffer))
            state.SkipWithError("write failed");
    }
    reportSize(state, buffer.size(), image.size());
}
BENCHMARK(BM_JpegWriter)
    ->ArgsProduct({{0, 1}, {90}, {0}, {0}})
    ->ArgsProduct({{0, 1}, {90}, {1, 2, 4, 8, 16, 32}, {0}})
    ->ArgsProduct({{0, 1}, {90}, {1}, {1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime() // the CPU column counts every band's thread
    ->UseRealTime();

// Args: size index, 0 for Qt's PNG writer or the JPEG quality in percent.
void BM_QImageWriter(benchmark::State &state)
{
    const QImage image = Bench::content(Bench::screenSize(int(state.range(0))));
    const int quality = int(state.range(1));
    QBuffer buffer;
    for (auto _ : state) {
        buffer.close();
        buffer.setData(QByteArray());
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, quality ? "jpeg" : "png");
        if (quality)
            writer.setQuality(quality);
        writer.write(image);
    }
    reportSize(state, buffer.size(), image.size());
}
BENCHMARK(BM_QImageWriter)->ArgsProduct({{0, 1}, {0, 90}})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return Bench::main(argc, argv, "offscreen");
}
