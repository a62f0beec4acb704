#include "support/X11TestSupport.h"

#include "capture/SelectionOverlayView.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

namespace X11TestSupport {

using TestSupport::runProgram;
using TestSupport::waitUntil;

bool xdotool(const QStringList &arguments)
{
    int exitCode = -1;
    runProgram(QStringLiteral("xdotool"), arguments, &exitCode);
    return exitCode == 0;
}

QImage grabScreen(const QRect &area)
{
    static X11ScreenGrabber grabber;
    return grabber.grabArea(area).convertToFormat(QImage::Format_RGB32);
}

bool waitUntilScreenShows(const QRect &area, const std::function<bool(const QImage &)> &shows)
{
    return waitUntil([&] { return shows(grabScreen(area)); });
}

QRgb rootPattern(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4));
}

bool paintRootPattern(const QSize &rootSize)
{
    QImage image(rootSize, QImage::Format_RGB32);
    for (int y = 0; y < rootSize.height(); ++y) {
        for (int x = 0; x < rootSize.width(); ++x)
            image.setPixel(x, y, rootPattern(x, y));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pattern.png"));
    if (!image.save(file))
        return false;
    // ImageMagick's display sets the root background and leaves at once.
    runProgram(QStringLiteral("display"), {QStringLiteral("-window"), QStringLiteral("root"), file});
    const QRect corner(rootSize.width() - 2, rootSize.height() - 2, 2, 2);
    return waitUntilScreenShows(corner, [&](const QImage &s) { return patternMismatches(s, corner) == 0; });
}

qint64 patternMismatches(const QImage &image, const QRect &nativeArea)
{
    if (image.size() != nativeArea.size())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != rootPattern(nativeArea.x() + x, nativeArea.y() + y);
    }
    return count;
}

bool showOverlays(OverlayService &overlays)
{
    overlays.showOverlays();
    return waitUntil([&] {
        for (const auto &[id, view] : overlays.overlayViews()) {
            if (!view->windowHandle()->isExposed() || view->grabRetryTimer().isActive())
                return false;
        }
        return !overlays.overlayViews().empty();
    });
}

quint32 xdotoolWindow(const char *query)
{
    return runProgram(QStringLiteral("xdotool"), {QLatin1String(query)}).trimmed().toUInt();
}

QByteArray clipboard(const QString &type)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", type, "-o"});
    const bool finished = waitUntil([&xclip] { return xclip.state() == QProcess::NotRunning; });
    EXPECT_TRUE(finished) << "xclip did not finish";
    if (!finished) {
        xclip.kill();
        xclip.waitForFinished();
    }
    return xclip.readAllStandardOutput();
}

QRect geometryOf(quint32 window)
{
    const QString info
        = QString::fromLocal8Bit(runProgram(QStringLiteral("xwininfo"), {"-id", QString::number(window)}));
    const auto number = [&](const char *field) {
        return QRegularExpression(QLatin1String(field) + QStringLiteral(":\\s+(-?\\d+)"))
            .match(info)
            .captured(1)
            .toInt();
    };
    return {
        number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height")};
}

QPoint onScreen(const QWidget *widget, QPoint local)
{
    const QWidget *window = widget->window();
    const QRect placed = geometryOf(quint32(window->winId()));
    if (!placed.isValid())
        return widget->mapToGlobal(local);
    return placed.topLeft() + widget->mapTo(window, local);
}

QList<int> frameExtents(quint32 window)
{
    const QString out = QString::fromLocal8Bit(
        runProgram(QStringLiteral("xprop"), {"-id", QString::number(window), "_NET_FRAME_EXTENTS"}));
    QList<int> extents;
    for (const auto &m : QRegularExpression(QStringLiteral("\\d+")).globalMatch(out.section('=', 1)))
        extents.append(m.captured().toInt());
    return extents;
}

HelperWindow::HelperWindow(
    const QString &geometry, int scrollStep, int pageHeight, const TestWindowContent::PageLayout &layout)
{
    QStringList arguments{geometry};
    if (scrollStep)
        arguments << QString::number(scrollStep) << QString::number(pageHeight) << layout.arguments();
    m_process.start(QStringLiteral(TEST_WINDOW), arguments);
    if (!waitUntil([this] { return m_process.canReadLine(); }))
        return;
    id = m_process.readLine().trimmed().toUInt(nullptr, 16);
    const QSize size(
        geometry.section('x', 0, 0).toInt(), geometry.section('x', 1).section('+', 0, 0).toInt());
    const QImage content = scrollStep
        ? TestWindowContent::scrolledWindow(size, pageHeight, layout, 0)
        : TestWindowContent::pattern(size);
    // The window manager may still move it: the origin and the pixels must agree.
    shown = waitUntil([&] {
        const QRect at = geometryOf(id);
        origin = at.topLeft();
        return at.isValid() && grabScreen(QRect(origin, size)) == content;
    });
}

HelperWindow::~HelperWindow()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool HelperWindow::waitForOffset(int offset)
{
    return waitUntil([&] {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("offset "))
                m_offset = line.mid(7).toInt();
        }
        return m_offset == offset;
    });
}

bool HelperWindow::hasFocus() const
{
    return xdotoolWindow() == id;
}

bool HelperWindow::waitForFocus() const
{
    return waitUntil([this] { return hasFocus(); });
}

} // namespace X11TestSupport
