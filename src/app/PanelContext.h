#pragma once

#include <functional>
#include <memory>

class CaptureNotifier;
class CompositingManager;
class KeyboardFocus;
class QScreen;
class QWidget;
class WindowActivator;
struct Platform;

// What the floating panels (countdown, name prompt, preview) need of the
// desktop. Every member may be empty: panels then fall back to Qt alone
// (no compositing assumed, Qt's own activation, the pointer's screen).
struct PanelContext
{
    std::shared_ptr<KeyboardFocus> focus;
    std::shared_ptr<CompositingManager> compositing;
    std::shared_ptr<WindowActivator> activator;
    // Replaces the main-screen rule; tests use it to have no screen at all.
    std::function<QScreen *()> mainScreenOverride;
    // Where windows cannot be placed, the preview is a notification instead.
    std::shared_ptr<CaptureNotifier> notifier = {};

    static PanelContext fromPlatform(const Platform &platform);

    QScreen *mainScreen() const;
    bool isComposited() const;
    // Qt's activation, then the platform's, which gets past focus-stealing
    // prevention. `window` must be shown.
    void activate(QWidget &window) const;
};
