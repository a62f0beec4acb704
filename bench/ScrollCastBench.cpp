// Scrolling capture's frames on GNOME Wayland: a page that moves a fixed
// number of times a second under a 1000 × 800 selection, recorded through
// the portal screen cast and cut to the selection as the scroll service
// takes them. Run it inside a GNOME session whose screen-share permission
// is granted (QUILLET_CAST_TOKEN = a restore token), on a display of at
// least 1100 × 900:
//   quillet_scroll_cast_bench [SECONDS [MOVES_PER_SECOND [COMPOSITOR_PID]]]
// Prints the time from Start to the cast running and to the first frame,
// the frames taken a second, and the CPU that Quillet and the compositor
// spend per second of recording (the compositor's also without the cast,
// over as long, with the page moving alike).
#include "capture/ScreenCastFrames.h"
#include "platform/DefaultsStore.h"
#include "platform/wayland/PortalScreenCast.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

// A full-screen page of horizontal bands that moves up 37 pixels per step.
class Page : public QWidget
{
public:
    explicit Page(int movesPerSecond)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            m_offset += 37;
            update();
        });
        if (movesPerSecond > 0)
            timer->start(1000 / movesPerSecond);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        for (int y = 0; y < height(); ++y) {
            const int row = y + m_offset;
            painter.fillRect(0, y, width(), 1, QColor::fromHsv((row / 3) % 360, 120 + row % 100, 230));
        }
    }

private:
    int m_offset = 0;
};

double cpuSecondsOfSelf()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

int runPage(int argc, char **argv, int movesPerSecond)
{
    QApplication app(argc, argv);
    Page page(movesPerSecond);
    page.showFullScreen();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--page")
        return runPage(argc, argv, atoi(argv[2]));
    const int seconds = argc > 1 ? atoi(argv[1]) : 10;
    const int moves = argc > 2 ? atoi(argv[2]) : 5;
    const qint64 compositor = argc > 3 ? atoll(argv[3]) : 0;
    QApplication app(argc, argv);

    QProcess page;
    page.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--page"), QString::number(moves)});
    QTemporaryDir dir;
    DefaultsStore defaults(dir.filePath(QStringLiteral("defaults.json")));
    defaults.setValue(QString::fromLatin1(ScreenCastFrames::RestoreTokenKey), qEnvironmentVariable("QUILLET_CAST_TOKEN"));
    PortalScreenCast cast;
    ScreenCastFrames frames(cast, defaults);

    QElapsedTimer clock;
    qint64 startedAt = -1, firstAt = -1;
    int taken = 0;
    double selfAtFirst = 0, compositorAtFirst = 0;
    QObject::connect(&cast, &ScreenCast::started, [&] { startedAt = clock.elapsed(); });
    QObject::connect(&frames, &ScrollFrameSource::frameAvailable, [&] {
        frames.grab({}, 0);
        if (taken++ == 0) {
            firstAt = clock.elapsed();
            selfAtFirst = cpuSecondsOfSelf();
            compositorAtFirst = cpuSecondsOf(compositor);
            QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        }
    });
    QObject::connect(&frames, &ScrollFrameSource::failed, [&](const QString &reason) {
        std::fprintf(stderr, "the cast failed: %s\n", qPrintable(reason));
        app.exit(1);
    });
    // The page shows and settles, then the compositor's own cost of the
    // moving page is measured without a cast, then the cast starts.
    double compositorAlone = 0;
    QTimer::singleShot(2000, [&] {
        compositorAlone = cpuSecondsOf(compositor);
        QTimer::singleShot(seconds * 1000, [&] {
            compositorAlone = (cpuSecondsOf(compositor) - compositorAlone) / seconds;
            clock.start();
            frames.open(QRectF(50, 50, 1000, 800), 0);
        });
    });
    const int status = app.exec();
    frames.close();
    page.kill();
    page.waitForFinished();
    if (status != 0 || taken == 0)
        return 1;
    const double recorded = double(clock.elapsed() - firstAt) / 1000.0;
    std::printf("Start to cast running: %lld ms; Start to first frame: %lld ms\n", startedAt, firstAt);
    std::printf("page moves %d/s: %.1f frames/s taken over %.1f s\n", moves, (taken - 1) / recorded, recorded);
    std::printf("CPU per second of recording: Quillet %.0f ms", 1000 * (cpuSecondsOfSelf() - selfAtFirst) / recorded);
    if (compositor > 0) {
        const double casting = (cpuSecondsOf(compositor) - compositorAtFirst) / recorded;
        std::printf(", compositor %.0f ms (%.0f ms without the cast, so %.0f ms for it)", 1000 * casting,
            1000 * compositorAlone, 1000 * (casting - compositorAlone));
    }
    std::printf("\n");
    return 0;
}
