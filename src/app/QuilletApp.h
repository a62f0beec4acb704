#pragma once

#include "platform/Platform.h"

#include <QTimer>

#include <memory>

class AppDelegate;
class AppSettings;
class CaptureOutputPipeline;
class CaptureOutputs;
class CaptureService;
class DefaultsStore;
class FileService;
class HotkeyService;
class MenuBarView;
class OverlayService;
class PermissionService;
class ScrollCaptureService;
class ScrollFrameSource;
class SettingsView;

// The composition root: builds every long-lived service once, in a fixed
// order, hands each the ones it needs, and keeps them until the process ends.
// Building the coordinator makes the global shortcuts live; then the tray
// icon appears, and once the main loop runs the delegate finishes launching.
class QuilletApp
{
public:
    explicit QuilletApp(Platform platform);
    ~QuilletApp();
    QuilletApp(const QuilletApp &) = delete;
    QuilletApp &operator=(const QuilletApp &) = delete;

    AppDelegate &appDelegate() const { return *m_appDelegate; }
    AppSettings &settings() const { return *m_settings; }
    PermissionService &permissionService() const { return *m_permissionService; }
    FileService &fileService() const { return *m_fileService; }
    CaptureService &captureService() const { return *m_captureService; }
    OverlayService &overlayService() const { return *m_overlayService; }
    ScrollCaptureService &scrollCaptureService() const { return *m_scrollCaptureService; }
    HotkeyService &hotkeyService() const { return *m_hotkeyService; }
    MenuBarView &menuBarView() const { return *m_menuBarView; }
    // The settings window, made the first time "Settings…" is chosen; null until then.
    SettingsView *settingsView() const { return m_settingsView.get(); }
    void openSettings();
    // Brings Quillet to the user: the onboarding window while the onboarding
    // is not completed, else the settings window, in front with the keyboard.
    // What starting Quillet again does, and the window that stands in for
    // the tray icon where there is no tray.
    void present();

    // How long a missing tray is waited for before a window stands in for
    // the icon: at login Quillet may start before the panel that holds the tray.
    static constexpr int TrayGraceMs = 2000;
    // Runs TrayGraceMs after start while there is no tray, and again each
    // TrayGraceMs while a capture is on screen; what the timer does.
    void trayGraceTick();
    QTimer &trayGraceTimer() { return m_trayGrace; }

private:
    void followTray();
    // The overlay, a countdown or a scrolling capture's panel is up.
    bool captureOnScreen() const;

    Platform m_platform;
    std::shared_ptr<DefaultsStore> m_store;
    std::unique_ptr<AppDelegate> m_appDelegate;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<PermissionService> m_permissionService;
    std::unique_ptr<FileService> m_fileService;
    std::unique_ptr<CaptureService> m_captureService;
    std::unique_ptr<OverlayService> m_overlayService;
    // Where every capture ends: the name prompt, the file, the clipboard and the preview.
    std::unique_ptr<CaptureOutputs> m_outputWindows;
    std::unique_ptr<CaptureOutputPipeline> m_outputs;
    std::unique_ptr<ScrollFrameSource> m_scrollFrames;
    std::unique_ptr<ScrollCaptureService> m_scrollCaptureService;
    std::unique_ptr<HotkeyService> m_hotkeyService;
    std::unique_ptr<MenuBarView> m_menuBarView;
    std::unique_ptr<SettingsView> m_settingsView;
    QTimer m_trayGrace;
};

// Process-wide slots, empty until a QuilletApp is built (and again once it
// is gone): they let windows that are made on their own, such as the
// onboarding, reach the same settings and permission service.
AppSettings *sharedSettings();
PermissionService *sharedPermissionService();
void setSharedServices(AppSettings *settings, PermissionService *permissionService);
