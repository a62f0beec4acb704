// What one settings change costs: the store reads the file back, merges the
// change and replaces the file atomically (with an fsync) before returning.
// A real file holds tens of keys; the larger sizes show how the cost grows.
//
//   build/bench/quillet_defaults_bench [--benchmark_filter=...]
//
// The file lives in $TMPDIR (default /tmp): point it at the disk that holds
// ~/.config to measure what a user meets.
#include "platform/DefaultsStore.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

// Eight settings, four shortcuts and whatever else: `keys` members in all.
void fill(DefaultsStore &store, int keys)
{
    store.setValue(QStringLiteral("savePath"), QStringLiteral("/home/user/Pictures/Screenshots"));
    store.setValue(QStringLiteral("imageFormat"), QStringLiteral("png"));
    for (const char *name : {"captureRegion", "captureScroll", "captureFullscreen", "captureWindow"})
        store.setValue(QStringLiteral("KeyboardShortcuts_") + QLatin1String(name),
            QStringLiteral(R"({"carbonKeyCode":21,"carbonModifiers":2816})"));
    for (int i = 6; i < keys; ++i)
        store.setValue(QStringLiteral("extra%1").arg(i), i % 2 == 0);
}

void BM_SettingChange(benchmark::State &state)
{
    QTemporaryDir dir;
    DefaultsStore store(dir.filePath(QStringLiteral("defaults.json")));
    fill(store, int(state.range(0)));
    double quality = 0.1;
    for (auto _ : state) {
        store.setValue(QStringLiteral("jpegQuality"), quality);
        quality = quality >= 1.0 ? 0.1 : quality + 0.1;
    }
}

void BM_Load(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    fill(*std::make_unique<DefaultsStore>(path), int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(DefaultsStore(path).keys().size());
}

} // namespace

BENCHMARK(BM_SettingChange)->Arg(12)->Arg(40)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load)->Arg(12)->Arg(40)->Arg(1000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return Bench::main(argc, argv, "offscreen");
}
