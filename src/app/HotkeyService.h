#pragma once

#include "app/CaptureMode.h"
#include "capture/CaptureResult.h"
#include "capture/FrozenScreens.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QRectF>

#include <functional>
#include <optional>

class CaptureOutputPipeline;
class CaptureService;
class Error;
class OverlayService;
class PermissionService;
class ScrollCaptureService;

// Runs every capture from its trigger to its output: binds the four global
// shortcuts to the capture flows, which the tray menu calls as well. Each
// flow checks the screen-capture permission, obtains an image and hands it
// to the output pipeline; a failure ends in one "Capture Failed" alert.
//
// Keeps no state between flows: no busy flag, so two quick triggers run two
// flows and give two files. Main thread.
class HotkeyService : public QObject
{
    Q_OBJECT

public:
    // The display the user works on, for a fullscreen capture.
    using MainDisplay = std::function<std::optional<quint32>()>;

    // Attaches the shortcut handlers before it returns. The services must
    // outlive the coordinator.
    HotkeyService(CaptureService &captureService, OverlayService &overlayService,
        ScrollCaptureService &scrollCaptureService, CaptureOutputPipeline &outputs,
        PermissionService &permissionService, MainDisplay mainDisplay, QObject *parent = nullptr);

    // The flow of `mode`, as its shortcut starts it.
    void start(CaptureMode mode);
    void startRegionCapture();
    void startScrollSelection();
    void startFullscreenCapture();
    void startWindowCapture();
    // Counts down, then starts the flow of `mode`; a newer countdown
    // replaces this one, whose capture then never happens.
    void startDelayedCapture(int seconds, CaptureMode mode);

    // The output steps for a captured image (or the display's picture as the
    // desktop encoded it); finishes with the file's path or fails with the
    // error that stopped them.
    QFuture<QString> handleCapture(const QImage &image, const QByteArray &png = {});
    // The "Capture Failed" alert; returns once the user dismissed it.
    void showError(const Error &error);

    // Captures taken and not yet saved (or failed): each holds its image.
    int capturesInFlight() const { return m_capturesInFlight; }

    // Waits until the display server has carried out what we asked of it,
    // such as removing the countdown badge; empty in tests.
    std::function<void()> syncDisplay;

signals:
    // A capture counted in capturesInFlight() was saved or failed.
    void captureFinished();

private:
    bool hasPermission();
    // The device pixels of the largest display: what a capture may need.
    static QSize largestDisplaySize();
    void captureSelection(QRectF rect, quint32 displayID, const FrozenScreens &seen);
    void finish(QFuture<CaptureResult> capture);
    void attachShortcutHandlers();

    CaptureService &m_captureService;
    OverlayService &m_overlayService;
    ScrollCaptureService &m_scrollCaptureService;
    CaptureOutputPipeline &m_outputs;
    PermissionService &m_permissionService;
    MainDisplay m_mainDisplay;
    int m_capturesInFlight = 0;
};
