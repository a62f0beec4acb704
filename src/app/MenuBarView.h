#pragma once

#include "app/CaptureMode.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class AppSettings;
class HotkeyService;
class PermissionService;
class QMenu;
class QSystemTrayIcon;

namespace KeyboardShortcuts {
struct Name;
}

// The tray icon and its menu: every capture, with or without a delay, the
// save folder and the last screenshot, the permission request, the settings
// and quitting. The menu holds no state: it is built afresh from the
// settings, the permission and the stored shortcuts each time it opens.
// Main thread.
class MenuBarView : public QObject
{
    Q_OBJECT

public:
    // Without a coordinator the capture items are there but do nothing.
    // The services must outlive the view.
    MenuBarView(AppSettings &settings, PermissionService &permissionService, HotkeyService *hotkeyService,
        QObject *parent = nullptr);
    ~MenuBarView() override;

    // "Settings…": opens the settings window.
    std::function<void()> onOpenSettings;
    // Opens a folder in the file manager or a file in its application.
    std::function<void(const QUrl &)> openUrl;
    // "Quit Quillet".
    std::function<void()> quit;
    // Waits until the display server has carried out what our windows asked
    // of it, such as unmapping the menu.
    std::function<void()> syncDisplay;

    // Puts the icon in the tray; the composition root calls it once a tray
    // is there. Null until then.
    void showTrayIcon();
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }
    QMenu *menu() const { return m_menu.get(); }
    // Fills the menu from the current state; runs each time it opens.
    void rebuild();

    // "Capture Region" and, when the name has a shortcut, two spaces and its text.
    static QString captureTitle(const QString &title, const KeyboardShortcuts::Name &name);

private:
    void addCaptureItems();
    QMenu *makeDelayMenu();
    void addFileItems();
    // Runs `capture` once the menu has left the screen, so that no picture
    // of the screen shows it.
    void startAfterMenuCloses(std::function<void(HotkeyService &)> capture);
    void startPendingCapture();

    AppSettings &m_settings;
    PermissionService &m_permissionService;
    QPointer<HotkeyService> m_hotkeyService;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QMenu> m_delayMenu;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    std::function<void(HotkeyService &)> m_pendingCapture;
};
