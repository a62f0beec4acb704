// Key press to file on GNOME Wayland, against its floor and a peer, in one
// session (run it through bench/compare-gnome.sh):
//   portal     the bare Screenshot portal call, answer to answer (the floor)
//   quillet    `quillet --capture fullscreen` (what GNOME's keybinding runs)
//              until the saved file is in the folder, Quillet resident
//   gnome-screenshot -f FILE   until it exits
// The runs interleave so that all three meet the same machine; medians.
#include "platform/wayland/PortalRequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double portalOnce()
{
    QElapsedTimer timer;
    timer.start();
    PortalRequest request(QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"),
        {QString()}, {{QStringLiteral("interactive"), false}});
    const std::optional<PortalResponse> response = request.run(20000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!response || response->code != 0)
        return -1;
    QFile::remove(QUrl(response->results.value(QStringLiteral("uri")).toString()).toLocalFile());
    return ms;
}

double quilletOnce(const QString &quillet, const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files))
        dir.remove(name);
    QElapsedTimer timer;
    timer.start();
    QProcess::startDetached(quillet, {QStringLiteral("--capture"), QStringLiteral("fullscreen")});
    // Files are renamed into place once written: one listed is whole.
    while (dir.entryList({QStringLiteral("*.png")}, QDir::Files).isEmpty()) {
        if (timer.elapsed() > 20000)
            return -1;
        QThread::usleep(500);
    }
    return timer.nsecsElapsed() / 1e6;
}

double peerOnce(const QString &file)
{
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(QStringLiteral("gnome-screenshot"), {QStringLiteral("-f"), file});
    if (!process.waitForFinished(20000) || !QFile::exists(file))
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: %s QUILLET SAVE_FOLDER RUNS\n", argv[0]);
        return 2;
    }
    const QString quillet = args[1];
    const QString folder = args[2];
    const int runs = args[3].toInt();
    const QString peerFile = QDir::temp().filePath(QStringLiteral("quillet-bench-peer.png"));
    const std::pair<const char *, std::function<double()>> tools[] = {
        {"portal", portalOnce},
        {"quillet", [&] { return quilletOnce(quillet, folder); }},
        {"gnome-screenshot", [&] { return peerOnce(peerFile); }},
    };
    std::vector<std::vector<double>> times(std::size(tools));
    for (auto &[name, once] : tools)
        once(); // warm caches and connections
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < std::size(tools); ++i) {
            const double ms = tools[i].second();
            if (ms < 0) {
                std::fprintf(stderr, "%s failed\n", tools[i].first);
                return 1;
            }
            times[i].push_back(ms);
        }
    }
    for (size_t i = 0; i < std::size(tools); ++i)
        std::printf("%-17s %8.1f ms (median of %d)\n", tools[i].first, median(times[i]), runs);
    const double floor = median(times[0]);
    std::printf("quillet / portal  %8.2f\nquillet / gnome-screenshot %.2f\n", median(times[1]) / floor,
        median(times[1]) / median(times[2]));
    QFile::remove(peerFile);
    return 0;
}
