#include "BenchSupport.h"

#include "ScreenContent.h"

#include <QGuiApplication>

#include <map>

namespace Bench {

QSize screenSize(int index)
{
    return index == 0 ? QSize(1920, 1080) : QSize(3840, 2160);
}

QImage content(QSize size)
{
    static std::map<std::pair<int, int>, QImage> cache;
    QImage &image = cache[{size.width(), size.height()}];
    if (image.isNull())
        image = makeScreenContent(size);
    return image;
}

void setLabel(benchmark::State &state, QSize size)
{
    state.SetLabel(std::to_string(size.width()) + "x" + std::to_string(size.height()));
}

int main(int argc, char **argv, const char *platform)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", platform);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace Bench
