#include "app/HotkeyService.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Name.h"
#include "app/CaptureKinds.h"
#include "app/CaptureShortcuts.h"
#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "capture/CountdownOverlay.h"
#include "capture/OverlayService.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"
#include "platform/Error.h"
#include "setup/PermissionService.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

const QString FailureTitle = QStringLiteral("Capture Failed");

} // namespace

HotkeyService::HotkeyService(CaptureService &captureService, OverlayService &overlayService,
    ScrollCaptureService &scrollCaptureService, CaptureOutputPipeline &outputs,
    PermissionService &permissionService, MainDisplay mainDisplay, QObject *parent)
    : QObject(parent)
    , m_captureService(captureService)
    , m_overlayService(overlayService)
    , m_scrollCaptureService(scrollCaptureService)
    , m_outputs(outputs)
    , m_permissionService(permissionService)
    , m_mainDisplay(std::move(mainDisplay))
{
    attachShortcutHandlers();
}

void HotkeyService::attachShortcutHandlers()
{
    // The flows start when the shortcut is released, so the keys the user
    // still holds never reach the overlay or the window being captured.
    const QPointer<HotkeyService> self(this);
    for (const CaptureKind &kind : captureKinds) {
        const KeyboardShortcuts::Name name = CaptureShortcuts::name(kind.mode);
        // The press comes well before the release: time to get the grab
        // and the encoder ready.
        KeyboardShortcuts::onKeyDown(name, [self] {
            if (!self)
                return;
            self->m_captureService.prepare();
            self->m_outputs.prepare(largestDisplaySize());
        });
        KeyboardShortcuts::onKeyUp(name, [self, mode = kind.mode] {
            if (self)
                self->start(mode);
        });
    }
}

QSize HotkeyService::largestDisplaySize()
{
    QSize size;
    for (const QScreen *screen : QGuiApplication::screens())
        size = size.expandedTo(screen->geometry().size() * screen->devicePixelRatio());
    return size;
}

bool HotkeyService::hasPermission()
{
    if (m_permissionService.hasScreenCapturePermission())
        return true;
    // The platform asks the user; the capture is triggered again once granted.
    m_permissionService.requestPermission();
    return false;
}

void HotkeyService::start(CaptureMode mode)
{
    switch (mode) {
    case CaptureMode::region:
        startRegionCapture();
        break;
    case CaptureMode::scroll:
        startScrollSelection();
        break;
    case CaptureMode::fullscreen:
        startFullscreenCapture();
        break;
    case CaptureMode::window:
        startWindowCapture();
        break;
    }
}

void HotkeyService::startRegionCapture()
{
    if (!hasPermission())
        return;
    const QPointer<HotkeyService> self(this);
    m_overlayService.onSelectionComplete = [self](QRectF rect, quint32 displayID, const FrozenScreens &seen) {
        if (self)
            self->captureSelection(rect, displayID, seen);
    };
    m_overlayService.onSelectionCancelled = nullptr;
    m_overlayService.showOverlays();
}

void HotkeyService::captureSelection(QRectF rect, quint32 displayID, const FrozenScreens &seen)
{
    finish(m_captureService.captureRegion(rect, displayID, seen));
}

void HotkeyService::startScrollSelection()
{
    // While a scroll capture records, its shortcut again means Done: where
    // the desktop may put the panel out of the way, the keys stay at hand.
    if (m_scrollCaptureService.isCapturing()) {
        m_scrollCaptureService.finishCapture();
        return;
    }
    if (!hasPermission())
        return;
    const QPointer<HotkeyService> self(this);
    // The scrolling frames are read live: the pictures of the selection are not wanted.
    m_overlayService.onSelectionComplete = [self](QRectF rect, quint32 displayID, const FrozenScreens &) {
        if (self)
            self->m_scrollCaptureService.startScrollCapture(rect, displayID);
    };
    m_overlayService.onSelectionCancelled = nullptr;
    m_overlayService.showOverlays();
}

void HotkeyService::startFullscreenCapture()
{
    if (!hasPermission())
        return;
    finish(m_captureService.captureFullscreen(m_mainDisplay().value_or(0)));
}

void HotkeyService::startWindowCapture()
{
    if (!hasPermission())
        return;
    finish(m_captureService.captureWindow());
}

void HotkeyService::startDelayedCapture(int seconds, CaptureMode mode)
{
    if (!hasPermission())
        return;
    const QPointer<HotkeyService> self(this);
    // The flow checks the permission again: it may have gone meanwhile.
    CountdownOverlay::shared().start(seconds, [self, mode] {
        if (!self)
            return;
        // The badge is hidden by now, but the display server unmaps it in
        // its own time: a picture taken before then would show it.
        if (self->syncDisplay)
            self->syncDisplay();
        self->start(mode);
    });
}

void HotkeyService::finish(QFuture<CaptureResult> capture)
{
    ++m_capturesInFlight;
    capture.then(this, [this](const CaptureResult &result) { return handleCapture(result.image, result.png); })
        .unwrap()
        .then(this, [this](QFuture<QString> done) {
            --m_capturesInFlight;
            emit captureFinished();
            std::optional<Error> failure;
            try {
                done.waitForFinished();
            } catch (const Error &error) {
                failure = error;
            } catch (...) {
                failure = CaptureFailure(CaptureError::captureFailedNoImage);
            }
            // A task of its own, so that the failed flow never waits for the user.
            if (failure)
                QTimer::singleShot(0, this, [this, error = *failure] { showError(error); });
        });
}


QFuture<QString> HotkeyService::handleCapture(const QImage &image, const QByteArray &png)
{
    return m_outputs.run(image, png);
}

void HotkeyService::showError(const Error &error)
{
    m_outputs.showAlert(FailureTitle, error);
}
