#pragma once

#include "app/PanelContext.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class AppSettings;
class DefaultsStore;
class PermissionService;
class ScreenCapturePermission;
class TrayAvailability;

// The application's side of start-up: keeps Quillet a tray utility and, on
// every launch until the onboarding was completed once, opens the
// onboarding window shortly after launching. Main thread.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // How long after launching the onboarding window opens, so that the
    // tray icon is in place first.
    static constexpr int OnboardingDelayMs = 300;

    // A tray utility has no window of its own in the taskbar; a regular
    // application (while the onboarding window is open) has.
    enum class ActivationPolicy { regular, accessory };

    // `store` is read directly for the onboarding flag and must outlive the delegate.
    explicit AppDelegate(DefaultsStore &store, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Where the onboarding window opens and how it takes the keyboard, and
    // the permission a fallback permission service reads.
    void setPlatform(PanelContext panels, std::shared_ptr<ScreenCapturePermission> permission);
    // Whether a tray shows Quillet's icon, for the onboarding to tell.
    void setTrayAvailability(std::shared_ptr<TrayAvailability> tray) { m_tray = std::move(tray); }

    // Launching has finished: the main loop runs and the shortcuts are live.
    void applicationDidFinishLaunching();
    void showOnboarding();
    // Brings the onboarding window forward with the keyboard, opening it
    // now if it is not open (instead of after the launch delay).
    void presentOnboarding();

    ActivationPolicy activationPolicy() const { return m_activationPolicy; }
    void setActivationPolicy(ActivationPolicy policy);

    // Runs showOnboarding() once, OnboardingDelayMs after launching, while
    // the onboarding is not completed; inactive otherwise.
    QTimer *onboardingTimer() { return &m_onboardingTimer; }

    // The onboarding window while it exists, and the connection that
    // watches it close.
    QPointer<QWidget> onboardingWindow;
    QMetaObject::Connection windowCloseObserver;

private:
    void onboardingFinished();
    void onboardingWindowClosing();

    DefaultsStore &m_store;
    PanelContext m_panels;
    std::shared_ptr<ScreenCapturePermission> m_permission;
    std::shared_ptr<TrayAvailability> m_tray;
    // Made only when no application value filled the shared slots.
    std::unique_ptr<AppSettings> m_ownSettings;
    std::unique_ptr<PermissionService> m_ownPermissionService;
    QTimer m_onboardingTimer;
    ActivationPolicy m_activationPolicy = ActivationPolicy::regular;
};
