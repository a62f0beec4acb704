// One full-screen capture to a finished file on the current $DISPLAY,
// through the project's own X11 grabber, split into its steps: grab,
// encode (to memory), write (the encoded bytes to a file), and the whole
// road from screen to closed file as the file service runs it.
#include "BenchSupport.h"

#include "output/ImageEncoder.h"
#include "platform/Allocator.h"
#include "platform/x11/X11ScreenGrabber.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace {

enum Format { png = 0, jpeg = 1 };
constexpr double jpegQuality = 0.9; // the default setting

struct Setup
{
    X11ScreenGrabber grabber;
    StandardImageEncoder encoder; // as the file service encodes
    // QUILLET_BENCH_DIR keeps the files for a look; otherwise they go with the run.
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quillet-bench-XXXXXX")};
    QString folder = qEnvironmentVariable("QUILLET_BENCH_DIR", dir.path());
    QRect screen;

    Setup()
    {
        const auto displays = grabber.displays();
        if (!displays.isEmpty())
            screen = displays.first().geometry;
    }
    QString path(Format format) const
    {
        return QDir(folder).filePath(
            format == png ? QStringLiteral("capture.png") : QStringLiteral("capture.jpeg"));
    }
};

Setup &setup()
{
    static Setup instance;
    return instance;
}

bool encode(Format format, const QImage &image, QIODevice &device)
{
    return setup().encoder.encode(
        image, format == png ? ImageFormat::png : ImageFormat::jpeg, jpegQuality, device);
}

void label(benchmark::State &state, Format format)
{
    state.SetLabel((format == png ? "png " : "jpeg ") + std::to_string(setup().screen.width()) + "x"
        + std::to_string(setup().screen.height()));
}

void BM_Grab(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(setup().grabber.grabArea(setup().screen));
    state.counters["bytes"] = 0; // every row of a CSV report needs the same counters
    state.SetLabel(std::to_string(setup().screen.width()) + "x" + std::to_string(setup().screen.height()));
}

void BM_Encode(benchmark::State &state)
{
    const auto format = Format(state.range(0));
    const QImage image = setup().grabber.grabArea(setup().screen);
    QBuffer buffer;
    for (auto _ : state) {
        buffer.close();
        buffer.setData(QByteArray());
        buffer.open(QIODevice::WriteOnly);
        if (!encode(format, image, buffer))
            state.SkipWithError("encoding failed");
    }
    state.counters["bytes"] = double(buffer.size());
    label(state, format);
}

void BM_Write(benchmark::State &state)
{
    const auto format = Format(state.range(0));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    encode(format, setup().grabber.grabArea(setup().screen), buffer);
    for (auto _ : state) {
        QFile file(setup().path(format));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(buffer.data()) != buffer.size())
            state.SkipWithError("write failed");
        file.close();
    }
    state.counters["bytes"] = double(buffer.size());
    label(state, format);
}

// The whole capture: grab, then encode straight into the file.
void BM_CaptureToFile(benchmark::State &state)
{
    const auto format = Format(state.range(0));
    qint64 size = 0;
    for (auto _ : state) {
        const QImage image = setup().grabber.grabArea(setup().screen);
        QFile file(setup().path(format));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !encode(format, image, file))
            state.SkipWithError("capture failed");
        file.close();
        size = file.size();
    }
    state.counters["bytes"] = double(size);
    label(state, format);
}

// The same after a quiet spell, when the grabber has closed its sessions
// and the encoder has freed its buffers: the usual case of a single capture.
void BM_CaptureToFileAfterQuiet(benchmark::State &state)
{
    const auto format = Format(state.range(0));
    qint64 size = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setup().encoder.releaseBuffers();
        std::optional<X11ScreenGrabber> grabber(std::in_place);
        state.ResumeTiming();
        const QImage image = grabber->grabArea(setup().screen);
        QFile file(setup().path(format));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !encode(format, image, file))
            state.SkipWithError("capture failed");
        file.close();
        size = file.size();
        state.PauseTiming();
        grabber.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(size);
    label(state, format);
}

// A grab once the quiet spell has taken the shared pages back: as the
// release of the key finds them without (0) and with (1) its press having
// faulted them in.
void BM_GrabAfterQuiet(benchmark::State &state)
{
    const bool prepared = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        setup().grabber.releaseIdlePages();
        if (prepared)
            setup().grabber.prepare();
        state.ResumeTiming();
        benchmark::DoNotOptimize(setup().grabber.grabArea(setup().screen));
    }
    state.counters["bytes"] = 0;
    state.SetLabel(std::string(prepared ? "prepared " : "cold ") + std::to_string(setup().screen.width()) + "x"
        + std::to_string(setup().screen.height()));
}

BENCHMARK(BM_Grab)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GrabAfterQuiet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Encode)->Arg(png)->Arg(jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Write)->Arg(png)->Arg(jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureToFile)->Arg(png)->Arg(jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureToFileAfterQuiet)->Arg(png)->Arg(jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    Allocator::mapLargeBlocksSeparately(); // as the program does
    return Bench::main(argc, argv, "xcb");
}
