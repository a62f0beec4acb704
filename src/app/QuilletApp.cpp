#include "app/QuilletApp.h"

#include "KeyboardShortcuts/Environment.h"
#include "app/AppSettings.h"
#include "app/PanelContext.h"
#include "capture/CaptureService.h"
#include "capture/CountdownOverlay.h"
#include "capture/OverlayService.h"
#include "capture/ScreenFreeze.h"
#include "capture/ScrollCaptureOutputs.h"
#include "capture/ScrollCaptureService.h"
#include "output/CapturePreviewController.h"
#include "output/FileNamePromptPanel.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"
#include "setup/PermissionService.h"

QuilletApp::QuilletApp(Platform platform)
    : m_platform(std::move(platform))
    , m_store(std::make_shared<DefaultsStore>())
{
    // The shortcut library keeps its shortcuts in the same store, so that
    // the settings and the shortcuts live in one file.
    KeyboardShortcuts::resetState({m_store, m_platform.hotkeys, m_platform.keyboardLayout});
    // The three process-wide panels learn the desktop's focus, compositing
    // and activation from the platform.
    const PanelContext panels = PanelContext::fromPlatform(m_platform);
    CountdownOverlay::resetShared(panels);
    FileNamePromptPanel::resetShared(panels);
    CapturePreviewController::resetShared(panels);
    m_settings = std::make_unique<AppSettings>(*m_store);
    m_permissionService = std::make_unique<PermissionService>(*m_platform.permission);
    m_fileService = std::make_unique<FileService>(*m_platform.sound);
    m_screenFreeze = std::make_unique<ScreenFreeze>();
    m_captureService
        = std::make_unique<CaptureService>(*m_platform.displays, *m_platform.grabber, *m_platform.windows);
    m_captureService->setScreenFreeze(m_screenFreeze.get());
    m_overlayService
        = std::make_unique<OverlayService>(*m_platform.grabber, *m_platform.compositing, *m_screenFreeze);
    m_scrollOutputs = std::make_unique<StandardScrollCaptureOutputs>();
    m_scrollCaptureService
        = std::make_unique<ScrollCaptureService>(ScrollCaptureService::regionsOf(*m_captureService),
            *m_fileService, *m_settings, *m_scrollOutputs, *m_platform.compositing);
}

// Services go in the reverse order of their making; the capture service
// waits for its workers before the grabber they use goes.
QuilletApp::~QuilletApp()
{
    m_scrollCaptureService.reset();
    m_scrollOutputs.reset();
    m_overlayService.reset();
    m_captureService.reset();
    m_screenFreeze.reset();
    m_fileService.reset();
    m_permissionService.reset();
    m_settings.reset();
}
