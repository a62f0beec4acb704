#include "capture/CaptureService.h"

#include "capture/CaptureError.h"
#include "capture/DisplayLookup.h"
#include "platform/DisplayServer.h"
#include "platform/ScreenGrabber.h"
#include "platform/WindowList.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace {

ShareableDisplay findDisplay(ScreenGrabber &grabber, quint32 displayID)
{
    for (const ShareableDisplay &display : grabber.displays()) {
        if (display.displayID == displayID)
            return display;
    }
    throw CaptureFailure(CaptureError::displayNotFound);
}

QImage nonEmpty(QImage image)
{
    if (image.isNull())
        throw CaptureFailure(CaptureError::captureFailedNoImage);
    return image;
}

// A region read from a display Qt has no screen for comes at the display's
// own pixels and is resampled to the size asked for at the fallback scale.
QImage sized(QImage image, const QSize &size)
{
    if (image.isNull() || size.isEmpty())
        throw CaptureFailure(CaptureError::captureFailedNoImage);
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

CaptureResult finish(QImage image, CaptureMode mode, quint32 displayID)
{
    // Taken after the pixels arrived, as the result's timestamp promises.
    return CaptureResult{std::move(image), mode, QDateTime::currentDateTime(), displayID, {}};
}

CaptureResult regionJob(
    ScreenGrabber &grabber, const DisplaySnapshot &snapshot, QRectF rect, quint32 displayID)
{
    const ShareableDisplay display = findDisplay(grabber, displayID);
    const CaptureGeometry::RegionPlan plan = CaptureGeometry::planRegion(rect, display, snapshot);
    if (plan.source.isEmpty() || plan.resultSize.isEmpty())
        throw CaptureFailure(CaptureError::captureFailedNoImage);
    // The overlay does not clip to its display: what lies beyond the edge
    // stays transparent rather than showing a neighbouring display.
    const QRect visible = plan.source.intersected(display.geometry);
    const QImage pixels = visible.isEmpty() ? QImage() : grabber.grabArea(visible);
    const QImage image = CaptureGeometry::placeInSource(pixels, visible, plan.source);
    return finish(sized(image, plan.resultSize), CaptureMode::region, displayID);
}

CaptureResult fullscreenJob(ScreenGrabber &grabber, quint32 displayID)
{
    // A whole display is every one of its pixels as they are. Its size in
    // points is rounded at fractional scales, and scaling that back would
    // come out a pixel short and resample (blur) the whole image.
    const ShareableDisplay display = findDisplay(grabber, displayID);
    DisplayPicture picture = grabber.grabDisplay(display.geometry);
    if (!picture.png.isEmpty()) {
        CaptureResult result = finish(QImage(), CaptureMode::fullscreen, displayID);
        result.png = std::move(picture.png);
        return result;
    }
    return finish(nonEmpty(std::move(picture.image)), CaptureMode::fullscreen, displayID);
}

CaptureResult windowJob(
    ScreenGrabber &grabber, WindowList &windows, const DisplaySnapshot &snapshot, qint64 ownPid)
{
    const QList<ShareableWindow> shareable = grabber.windows();
    const std::optional<QList<WindowInfo>> list = windows.frontToBack();
    if (!list)
        throw CaptureFailure(CaptureError::windowNotFound);
    const std::optional<quint32> chosen = CaptureGeometry::chooseWindow(*list, ownPid, snapshot);
    if (!chosen)
        throw CaptureFailure(CaptureError::windowNotFound);
    const auto target = std::find_if(
        shareable.begin(), shareable.end(), [&](const ShareableWindow &w) { return w.windowID == *chosen; });
    // Only the frontmost qualifying window is wanted; never a later one.
    if (target == shareable.end())
        throw CaptureFailure(CaptureError::windowNotFound);
    const quint32 displayID
        = CaptureGeometry::displayForFrame(CaptureGeometry::toPoints(target->frame, snapshot), snapshot);
    // The window at its own pixels, as for a whole display.
    return finish(nonEmpty(grabber.grabWindow(target->windowID)), CaptureMode::window, displayID);
}

} // namespace

CaptureService::CaptureService(
    DisplayServer &displays, ScreenGrabber &grabber, WindowList &windows, QObject *parent)
    : QObject(parent)
    , m_displays(displays)
    , m_grabber(grabber)
    , m_windows(windows)
{
    installDisplayIdentifiers(m_displays, this);
}

CaptureService::~CaptureService()
{
    // Workers use the grabber by reference; none may outlive the service.
    m_pool.waitForDone();
}

DisplaySnapshot CaptureService::snapshotDisplays() const
{
    DisplaySnapshot snapshot;
    for (const QScreen *screen : QGuiApplication::screens())
        snapshot.screens.append({displayIDOfScreen(screen), screen->geometry(), screen->devicePixelRatio()});
    snapshot.mainDisplayID = m_displays.mainDisplayID().value_or(0);
    return snapshot;
}

QFuture<CaptureResult> CaptureService::captureRegion(QRectF rect, quint32 displayID, const FrozenScreens &seen)
{
    std::shared_ptr<ScreenGrabber> frozen;
    if (!seen.isEmpty())
        frozen = std::make_shared<FrozenScreenGrabber>(m_grabber, seen);
    return QtConcurrent::run(
        &m_pool, [&grabber = m_grabber, frozen, snapshot = snapshotDisplays(), rect, displayID] {
            return regionJob(frozen ? *frozen : grabber, snapshot, rect, displayID);
        });
}

QFuture<CaptureResult> CaptureService::captureFullscreen(quint32 displayID)
{
    return QtConcurrent::run(
        &m_pool, [&grabber = m_grabber, displayID] { return fullscreenJob(grabber, displayID); });
}

void CaptureService::prepare()
{
    m_pool.start([&grabber = m_grabber] {
        try {
            grabber.prepare();
        } catch (const std::exception &) {
            // Only a head start: the capture itself reports what fails.
        }
    });
}

QFuture<CaptureResult> CaptureService::captureWindow()
{
    return QtConcurrent::run(&m_pool,
        [&grabber = m_grabber, &windows = m_windows, snapshot = snapshotDisplays(),
            pid = QCoreApplication::applicationPid()] { return windowJob(grabber, windows, snapshot, pid); });
}
