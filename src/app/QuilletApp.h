#pragma once

#include "platform/Platform.h"

#include <memory>

class AppSettings;
class CaptureService;
class DefaultsStore;
class FileService;
class OverlayService;
class PermissionService;
class ScreenFreeze;
class ScrollCaptureOutputs;
class ScrollCaptureService;

// The composition root: builds every long-lived service once, in a fixed
// order, hands each the ones it needs, and keeps them until the process ends.
class QuilletApp
{
public:
    explicit QuilletApp(Platform platform);
    ~QuilletApp();
    QuilletApp(const QuilletApp &) = delete;
    QuilletApp &operator=(const QuilletApp &) = delete;

    AppSettings &settings() const { return *m_settings; }
    PermissionService &permissionService() const { return *m_permissionService; }
    FileService &fileService() const { return *m_fileService; }
    CaptureService &captureService() const { return *m_captureService; }
    OverlayService &overlayService() const { return *m_overlayService; }
    ScrollCaptureService &scrollCaptureService() const { return *m_scrollCaptureService; }

private:
    Platform m_platform;
    std::shared_ptr<DefaultsStore> m_store;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<PermissionService> m_permissionService;
    std::unique_ptr<FileService> m_fileService;
    // The overlay's pictures of the screens, read by the capture service.
    std::unique_ptr<ScreenFreeze> m_screenFreeze;
    std::unique_ptr<CaptureService> m_captureService;
    std::unique_ptr<OverlayService> m_overlayService;
    std::unique_ptr<ScrollCaptureOutputs> m_scrollOutputs;
    std::unique_ptr<ScrollCaptureService> m_scrollCaptureService;
};
