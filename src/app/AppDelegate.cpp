#include "app/AppDelegate.h"

#include "platform/DefaultsStore.h"

#include <QApplication>

AppDelegate::AppDelegate(DefaultsStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    m_onboardingTimer.setSingleShot(true);
    m_onboardingTimer.setInterval(OnboardingDelayMs);
    connect(&m_onboardingTimer, &QTimer::timeout, this, &AppDelegate::showOnboarding);
}

void AppDelegate::applicationDidFinishLaunching()
{
    setActivationPolicy(ActivationPolicy::accessory);
    // Straight from the store rather than the settings object: the settings
    // may not have been made when a platform launches the delegate itself.
    if (!m_store.boolean(QStringLiteral("hasCompletedOnboarding")))
        m_onboardingTimer.start();
}

void AppDelegate::showOnboarding()
{
    // The onboarding window does not exist yet; until it does, launching
    // shows the tray icon alone.
}

void AppDelegate::setActivationPolicy(ActivationPolicy policy)
{
    m_activationPolicy = policy;
    // A tray utility keeps running when its last window (a prompt, an
    // alert, the onboarding) closes: only the quit item ends it.
    if (policy == ActivationPolicy::accessory)
        QApplication::setQuitOnLastWindowClosed(false);
}
