#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class DefaultsStore;

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

    // Launching has finished: the main loop runs and the shortcuts are live.
    void applicationDidFinishLaunching();
    void showOnboarding();

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
    DefaultsStore &m_store;
    QTimer m_onboardingTimer;
    ActivationPolicy m_activationPolicy = ActivationPolicy::regular;
};
