// Stitching throughput for a long scrolling capture (300 frames of
// 1000 × 800 pixels), next to plain memory copies of the same bytes made in
// the same run, and the process's peak memory.
//
//   build/bench/quillet_stitch_bench [--benchmark_filter=...]
//
// The argument is the shift between frames in rows; 900 (more than the
// frame) never joins, so every pass of the search runs for every pair.
//   CopyWholeFrames  every frame read once, whole, into the output at its place
//   CopyVisibleRows  the output written once, each row from the frame it shows
//   Stitch           the frames' row signatures made, then the search and the output
//   StitchHashed     the search and the output alone, the signatures made
//                    beforehand as the capture makes them while frames arrive
//   RowSignatures    the signatures of the 300 frames alone
#include "capture/FrameStitcher.h"
#include "capture/RowSignatures.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <cstring>
#include <sys/resource.h>

namespace {

constexpr int frameCount = 300;
constexpr int frameWidth = 1000;
constexpr int frameHeight = 800;

quint32 pagePixel(quint32 x, quint32 y)
{
    quint32 h = x * 73856093u ^ y * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h | 0xff000000u;
}

// Frame i shows the page from row i × shift: the content moves up by
// `shift` rows between grabs, as under a steady scroll.
QList<QImage> scrollFrames(int shift, QImage::Format format)
{
    QList<QImage> frames;
    for (int i = 0; i < frameCount; ++i) {
        QImage frame(frameWidth, frameHeight, QImage::Format_RGB32);
        for (int y = 0; y < frameHeight; ++y) {
            auto *row = reinterpret_cast<quint32 *>(frame.scanLine(y));
            for (int x = 0; x < frameWidth; ++x)
                row[x] = pagePixel(x, quint32(i) * shift + y);
        }
        frames.append(format == frame.format() ? frame : frame.convertToFormat(format));
    }
    return frames;
}

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

qint64 frameBytes(const QList<QImage> &frames)
{
    qint64 bytes = 0;
    for (const QImage &frame : frames)
        bytes += frame.sizeInBytes();
    return bytes;
}

void report(benchmark::State &state, const QList<QImage> &frames, qint64 outputBytes)
{
    state.SetBytesProcessed(state.iterations() * (frameBytes(frames) + outputBytes));
    state.counters["frames_MB"] = megabytes(frameBytes(frames));
    state.counters["output_MB"] = megabytes(outputBytes);
    state.counters["peak_RSS_MB"] = peakResidentMegabytes();
}

QList<RowSignatures> signaturesOf(const QList<QImage> &frames)
{
    QList<RowSignatures> signatures;
    for (const QImage &frame : frames)
        signatures.append(RowSignatures::of(frame));
    return signatures;
}

void BM_Stitch(benchmark::State &state, QImage::Format format, bool hashedBeforehand)
{
    const QList<QImage> frames = scrollFrames(int(state.range(0)), format);
    const QList<RowSignatures> signatures = hashedBeforehand ? signaturesOf(frames) : QList<RowSignatures>{};
    qint64 outputBytes = 0;
    for (auto _ : state) {
        const QImage output = FrameStitcher::stitchFrames(frames, signatures);
        outputBytes = output.sizeInBytes();
        benchmark::DoNotOptimize(output.constBits());
    }
    report(state, frames, outputBytes);
    if (hashedBeforehand) {
        state.counters["signatures_MB"]
            = megabytes(qint64(frameCount) * frameHeight * qint64(sizeof(RowSignatures::Row)));
    }
}

void BM_RowSignatures(benchmark::State &state)
{
    const QList<QImage> frames = scrollFrames(int(state.range(0)), QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(signaturesOf(frames).size());
    state.SetBytesProcessed(state.iterations() * frameBytes(frames));
}

void copyBaseline(benchmark::State &state, bool wholeFrames)
{
    const int shift = int(state.range(0));
    const QList<QImage> frames = scrollFrames(shift, QImage::Format_RGBA8888_Premultiplied);
    const qsizetype rowBytes = qsizetype(frameWidth) * 4;
    const int advance = std::min(shift, frameHeight);
    const int outputHeight = frameHeight + (frameCount - 1) * advance;
    for (auto _ : state) {
        QImage output(frameWidth, outputHeight, QImage::Format_RGBA8888_Premultiplied);
        uchar *out = output.bits();
        for (int i = 0; i < frameCount; ++i) {
            const int rows = (wholeFrames || i == frameCount - 1) ? frameHeight : advance;
            std::memcpy(out + qsizetype(i) * advance * rowBytes, frames[i].constBits(), rows * rowBytes);
        }
        benchmark::DoNotOptimize(output.constBits());
    }
    report(state, frames, qint64(outputHeight) * rowBytes);
}

void BM_CopyWholeFrames(benchmark::State &state)
{
    copyBaseline(state, true);
}
void BM_CopyVisibleRows(benchmark::State &state)
{
    copyBaseline(state, false);
}

// Shifts: slow, half the frame, three quarters, more than the frame.
void shifts(benchmark::internal::Benchmark *b)
{
    b->Arg(40)->Arg(400)->Arg(600)->Arg(900)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
}

} // namespace

BENCHMARK(BM_CopyWholeFrames)->Apply(shifts);
BENCHMARK(BM_CopyVisibleRows)->Apply(shifts);
BENCHMARK(BM_RowSignatures)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_Stitch, RGB32, QImage::Format_RGB32, false)->Apply(shifts);
BENCHMARK_CAPTURE(BM_Stitch, RGB32_hashed, QImage::Format_RGB32, true)->Apply(shifts);
BENCHMARK_CAPTURE(BM_Stitch, ARGB32_Premultiplied, QImage::Format_ARGB32_Premultiplied, false)
    ->Arg(400)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Stitch, RGBA8888_Premultiplied, QImage::Format_RGBA8888_Premultiplied, false)
    ->Arg(400)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

int main(int argc, char **argv)
{
    return Bench::main(argc, argv, "offscreen");
}
