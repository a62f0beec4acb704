#include "platform/wayland/WaylandScreenGrabber.h"

#include "platform/Error.h"
#include "platform/wayland/PortalRequest.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QThread>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

QString areaText(const QRect &area)
{
    return QStringLiteral("%1,%2 %3x%4").arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
}

// The picture's size from the PNG's header, without decoding it.
QSize pngSize(const QByteArray &png)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "PNG").size();
}

// The portal's picture is the compositor's layout at the outputs' scale:
// its ratio to the layout's logical size maps layout points to its pixels.
QRect pictureRectOf(const WaylandOutput &output, const QRect &layout, const QSize &pictureSize)
{
    const qreal fx = layout.width() > 0 ? qreal(pictureSize.width()) / layout.width() : 1;
    const qreal fy = layout.height() > 0 ? qreal(pictureSize.height()) / layout.height() : 1;
    const QPoint corner(int(std::lround((output.logical.x() - layout.x()) * fx)),
        int(std::lround((output.logical.y() - layout.y()) * fy)));
    return QRect(corner, output.deviceGeometry().size());
}

QByteArray readPortalFile(const PortalResponse &response)
{
    const QString path = QUrl(response.results.value(QStringLiteral("uri")).toString()).toLocalFile();
    if (path.isEmpty())
        throw Error(QStringLiteral("Could not read the screen: the screenshot portal returned no file"));
    QFile file(path);
    const QByteArray png = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // The file is the portal's, not the user's: it must not stay behind.
    QFile::remove(path);
    if (pngSize(png).isEmpty())
        throw Error(QStringLiteral("Could not read the screen: the portal's file %1 is not a picture").arg(path));
    return png;
}

QImage decoded(const QByteArray &png)
{
    const QImage picture = QImage::fromData(png, "PNG");
    if (picture.isNull())
        throw Error(QStringLiteral("Could not read the screen: the portal's picture cannot be decoded"));
    return picture.convertToFormat(QImage::Format_RGB32);
}

QByteArray screenshotOnThisThread()
{
    PortalRequest request(QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"),
        {QString()}, {{QStringLiteral("interactive"), false}});
    const std::optional<PortalResponse> response = request.run(WaylandScreenGrabber::AnswerTimeoutMs);
    if (!response)
        throw Error(QStringLiteral("Could not read the screen: the desktop's screenshot portal did not answer"));
    if (response->code == 1)
        throw Error(QStringLiteral("Could not read the screen: the screenshot was cancelled"));
    if (response->code != 0) {
        const QString error = response->results.value(QStringLiteral("error")).toString();
        throw Error(QStringLiteral("Could not read the screen: the screenshot portal refused")
            + (error.isEmpty() ? QString() : QStringLiteral(" (") + error + u')'));
    }
    return readPortalFile(*response);
}

} // namespace

WaylandScreenGrabber::WaylandScreenGrabber(std::shared_ptr<const WaylandOutputs> outputs)
    : m_outputs(std::move(outputs))
{
}

QList<ShareableDisplay> WaylandScreenGrabber::displays()
{
    return m_outputs->displays();
}

QList<ShareableWindow> WaylandScreenGrabber::windows()
{
    return {};
}

QImage WaylandScreenGrabber::grabArea(const QRect &area)
{
    return cut(portalScreenshot(), m_outputs->outputs(), area);
}

QList<QImage> WaylandScreenGrabber::grabAreas(const QList<QRect> &areas)
{
    if (areas.isEmpty())
        return {};
    const QImage picture = portalScreenshot();
    const QList<WaylandOutput> outputs = m_outputs->outputs();
    QList<QImage> images;
    for (const QRect &area : areas)
        images.append(cut(picture, outputs, area));
    return images;
}

QImage WaylandScreenGrabber::grabWindow(quint32 windowID)
{
    Q_UNUSED(windowID);
    throw Error(QStringLiteral("Could not read the window: this desktop gives programs no window's pixels"));
}

DisplayPicture WaylandScreenGrabber::grabDisplay(const QRect &area)
{
    const QByteArray png = portalPng();
    const QSize size = pngSize(png);
    const QRect source = sourceOf(size, m_outputs->outputs(), area);
    if (source == QRect(QPoint(), size))
        return {{}, png};
    return {decoded(png).copy(source), {}};
}

QImage WaylandScreenGrabber::cut(const QImage &picture, const QList<WaylandOutput> &outputs, const QRect &area)
{
    return picture.copy(sourceOf(picture.size(), outputs, area));
}

QRect WaylandScreenGrabber::sourceOf(const QSize &pictureSize, const QList<WaylandOutput> &outputs, const QRect &area)
{
    QRect layout;
    for (const WaylandOutput &output : outputs)
        layout |= output.logical;
    for (const WaylandOutput &output : outputs) {
        const QRect device = output.deviceGeometry();
        if (!device.contains(area))
            continue;
        const QRect inPicture = pictureRectOf(output, layout, pictureSize);
        const QRect source = area.translated(inPicture.topLeft() - device.topLeft());
        if (!QRect(QPoint(), pictureSize).contains(source))
            break;
        return source;
    }
    throw Error(QStringLiteral("Could not read the screen: area %1 is outside the picture of the desktop (%2x%3)")
                    .arg(areaText(area))
                    .arg(pictureSize.width())
                    .arg(pictureSize.height()));
}

QImage WaylandScreenGrabber::portalScreenshot()
{
    return decoded(portalPng());
}

QByteArray WaylandScreenGrabber::portalPng()
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        // A thread of its own rather than the global pool, which callers may fill.
        QThreadPool pool;
        return QtConcurrent::run(&pool, &screenshotOnThisThread).result();
    }
    return screenshotOnThisThread();
}
