#pragma once

#include <memory>

class CaptureNotifier;
class CompositingManager;
class DisplayServer;
class HotkeyBackend;
class KeyboardFocus;
class KeyboardLayout;
class LoginItems;
class ScreenCapturePermission;
class ScreenCast;
class ScreenGrabber;
class ScrollWheel;
class SoundPlayer;
class TrayAvailability;
class WindowActivator;
class WindowList;

// Every OS facility the services use, as one bundle that the composition
// root hands out. The real one comes from the X11 backends; tests put fakes
// in its place.
struct Platform
{
    std::shared_ptr<DisplayServer> displays;
    std::shared_ptr<ScreenGrabber> grabber;
    std::shared_ptr<WindowList> windows;
    std::shared_ptr<SoundPlayer> sound;
    std::shared_ptr<HotkeyBackend> hotkeys;
    std::shared_ptr<KeyboardLayout> keyboardLayout;
    std::shared_ptr<CompositingManager> compositing;
    std::shared_ptr<ScreenCapturePermission> permission;
    std::shared_ptr<KeyboardFocus> focus;
    std::shared_ptr<WindowActivator> activator;
    std::shared_ptr<LoginItems> loginItems = {};
    // None: a tray is taken to be there, and Qt finds it or not.
    std::shared_ptr<TrayAvailability> tray = {};
    std::shared_ptr<ScrollWheel> wheel = {};
    // Only where the desktop gives the preview thumbnail no place.
    std::shared_ptr<CaptureNotifier> notifier = {};
    // A live cast of the screen for scrolling capture, where the desktop
    // offers one and grabbing the screen five times a second costs too much.
    std::shared_ptr<ScreenCast> screenCast = {};
};
