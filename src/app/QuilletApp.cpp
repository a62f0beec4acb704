#include "app/QuilletApp.h"

#include "KeyboardShortcuts/Environment.h"
#include "app/AppDelegate.h"
#include "app/AppSettings.h"
#include "app/CaptureKinds.h"
#include "app/CaptureShortcuts.h"
#include "app/HotkeyService.h"
#include "app/MenuBarView.h"
#include "app/PanelContext.h"
#include "capture/CaptureService.h"
#include "capture/CountdownOverlay.h"
#include "capture/DisplayLookup.h"
#include "capture/OverlayService.h"
#include "capture/ScreenCastFrames.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"
#include "output/CaptureOutputs.h"
#include "output/CapturePreviewController.h"
#include "output/FileNamePromptPanel.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"
#include "platform/DisplayServer.h"
#include "platform/HotkeyBackend.h"
#include "platform/TrayAvailability.h"
#include "setup/PermissionService.h"
#include "setup/SettingsView.h"

#include <QPointer>
#include <QTimer>

namespace {

QPointer<AppSettings> g_sharedSettings;
QPointer<PermissionService> g_sharedPermissionService;

} // namespace

AppSettings *sharedSettings()
{
    return g_sharedSettings;
}

PermissionService *sharedPermissionService()
{
    return g_sharedPermissionService;
}

void setSharedServices(AppSettings *settings, PermissionService *permissionService)
{
    g_sharedSettings = settings;
    g_sharedPermissionService = permissionService;
}

QuilletApp::QuilletApp(Platform platform)
    : m_platform(std::move(platform))
    , m_store(std::make_shared<DefaultsStore>())
    , m_appDelegate(std::make_unique<AppDelegate>(*m_store))
{
    // The shortcut library keeps its shortcuts in the same store, so that
    // the settings and the shortcuts live in one file.
    KeyboardShortcuts::resetState({m_store, m_platform.hotkeys, m_platform.keyboardLayout});
    // Where the desktop binds the keys itself it runs a capture command.
    if (m_platform.hotkeys)
        m_platform.hotkeys->setCommandSource(CaptureShortcuts::commandSource());
    // The three process-wide panels learn the desktop's focus, compositing
    // and activation from the platform.
    const PanelContext panels = PanelContext::fromPlatform(m_platform);
    CountdownOverlay::resetShared(panels);
    FileNamePromptPanel::resetShared(panels);
    CapturePreviewController::resetShared(panels);
    m_settings = std::make_unique<AppSettings>(*m_store);
    m_permissionService = std::make_unique<PermissionService>(*m_platform.permission);
    m_fileService = std::make_unique<FileService>(*m_platform.sound);
    m_captureService = std::make_unique<CaptureService>(
        *m_platform.displays, *m_platform.grabber, *m_platform.windows);
    m_overlayService = std::make_unique<OverlayService>(*m_platform.grabber, *m_platform.compositing);
    m_outputWindows = std::make_unique<StandardCaptureOutputs>();
    m_outputs = std::make_unique<CaptureOutputPipeline>(*m_fileService, *m_settings, *m_outputWindows);
    // Desktops that hand out a live cast of the screen scroll-capture from
    // it; elsewhere the frame timer grabs the rectangle.
    if (m_platform.screenCast)
        m_scrollFrames = std::make_unique<ScreenCastFrames>(*m_platform.screenCast, *m_store);
    else
        m_scrollFrames = std::make_unique<RegionGrabFrames>(ScrollCaptureService::regionsOf(*m_captureService));
    m_scrollCaptureService
        = std::make_unique<ScrollCaptureService>(
        *m_scrollFrames, *m_outputs, *m_platform.compositing, m_platform.wheel.get());
    const auto mainDisplay = [panels, displays = m_platform.displays]() -> std::optional<quint32> {
        if (const std::optional<quint32> id = displayIDOfScreen(panels.mainScreen()))
            return id;
        return displays->mainDisplayID();
    };
    m_hotkeyService = std::make_unique<HotkeyService>(
        *m_captureService, *m_overlayService, *m_scrollCaptureService, *m_outputs, *m_permissionService, mainDisplay);
    setSharedServices(m_settings.get(), m_permissionService.get());
    m_menuBarView = std::make_unique<MenuBarView>(*m_settings, *m_permissionService, m_hotkeyService.get());
    m_menuBarView->syncDisplay = [displays = m_platform.displays] { displays->sync(); };
    m_hotkeyService->syncDisplay = m_menuBarView->syncDisplay;
    m_appDelegate->setPlatform(panels, m_platform.permission);
    m_menuBarView->onOpenSettings = [this] { openSettings(); };
    m_appDelegate->setTrayAvailability(m_platform.tray);
    followTray();
    QTimer::singleShot(0, m_appDelegate.get(), &AppDelegate::applicationDidFinishLaunching);
}

// The icon is made once a tray is there, now or later. Until then Quillet
// would be invisible: a window stands in for the icon.
void QuilletApp::followTray()
{
    TrayAvailability *tray = m_platform.tray.get();
    if (!tray || tray->isAvailable()) {
        m_menuBarView->showTrayIcon();
        return;
    }
    QObject::connect(tray, &TrayAvailability::availableChanged, m_menuBarView.get(), [this](bool available) {
        if (available)
            m_menuBarView->showTrayIcon();
    });
    m_trayGrace.setSingleShot(true);
    m_trayGrace.setInterval(TrayGraceMs);
    QObject::connect(&m_trayGrace, &QTimer::timeout, m_menuBarView.get(), [this] { trayGraceTick(); });
    m_trayGrace.start();
}

void QuilletApp::trayGraceTick()
{
    m_trayGrace.stop();
    if (!m_platform.tray || m_platform.tray->isAvailable())
        return;
    // A first run's onboarding has opened by now, and stands in already.
    if (!m_settings->hasCompletedOnboarding() && m_appDelegate->onboardingWindow)
        return;
    // A capture asked for as Quillet started (a first launch from a key
    // binding) is on screen: a window opened over it would cover what the
    // user selects or records and take the pointer and keyboard from it.
    if (captureOnScreen()) {
        m_trayGrace.start();
        return;
    }
    present();
}

bool QuilletApp::captureOnScreen() const
{
    const QWidget *badge = CountdownOverlay::shared().panel();
    return !m_overlayService->overlayViews().empty() || m_scrollCaptureService->controlPanel()
        || (badge && badge->isVisible());
}

// Windows go first, while the services they watch still exist: closing
// the onboarding on its permission page stops that service's polling. Then
// the services go in the reverse order of their making; the capture service
// waits for its workers before the grabber they use goes.
QuilletApp::~QuilletApp()
{
    m_trayGrace.stop();
    m_settingsView.reset();
    m_appDelegate->closeOnboarding();
    m_menuBarView.reset();
    setSharedServices(nullptr, nullptr);
    m_hotkeyService.reset();
    m_scrollCaptureService.reset();
    m_scrollFrames.reset();
    m_outputs.reset();
    m_outputWindows.reset();
    m_overlayService.reset();
    m_captureService.reset();
    m_fileService.reset();
    m_permissionService.reset();
    m_settings.reset();
    m_appDelegate.reset();
}

// One window for the life of the process: choosing "Settings…" again brings
// it back to the front as the user left it.
void QuilletApp::openSettings()
{
    if (!m_settingsView) {
        QList<KeyboardShortcuts::Name> shortcuts;
        for (const CaptureKind &kind : captureKinds)
            shortcuts.append(CaptureShortcuts::name(kind.mode));
        m_settingsView = std::make_unique<SettingsView>(
            *m_settings, *m_permissionService, shortcuts, m_platform.loginItems, m_platform.activator);
        m_settingsView->setTrayAvailability(m_platform.tray);
    }
    m_settingsView->present();
}

void QuilletApp::present()
{
    if (m_settings->hasCompletedOnboarding())
        openSettings();
    else
        m_appDelegate->showOnboarding();
}
