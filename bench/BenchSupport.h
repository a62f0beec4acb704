#pragma once

#include <QImage>
#include <QSize>

#include <benchmark/benchmark.h>

// Shared by the benchmark programs: the two screen sizes measured, the
// synthetic screen content (made once per size) and a main that runs the
// benchmarks inside a QGuiApplication.
namespace Bench {

QSize screenSize(int index); // 0: 1920×1080, 1: 3840×2160
QImage content(QSize size);
void setLabel(benchmark::State &state, QSize size);

// Runs the registered benchmarks; `platform` is used when QT_QPA_PLATFORM is unset.
int main(int argc, char **argv, const char *platform);

} // namespace Bench
