#include "app/AppDelegate.h"

#include "app/AppSettings.h"
#include "app/OnboardingWindow.h"
#include "app/QuilletApp.h"
#include "platform/DefaultsStore.h"
#include "setup/OnboardingView.h"
#include "setup/PermissionService.h"

#include <QApplication>

AppDelegate::AppDelegate(DefaultsStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    m_onboardingTimer.setSingleShot(true);
    m_onboardingTimer.setInterval(OnboardingDelayMs);
    connect(&m_onboardingTimer, &QTimer::timeout, this, &AppDelegate::showOnboarding);
}

AppDelegate::~AppDelegate()
{
    delete onboardingWindow;
}

void AppDelegate::setPlatform(PanelContext panels, std::shared_ptr<ScreenCapturePermission> permission)
{
    m_panels = std::move(panels);
    m_permission = std::move(permission);
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
    // Fresh services read and write the same store, so nothing is lost when
    // the slots are empty.
    AppSettings *settings = sharedSettings();
    if (!settings)
        settings = (m_ownSettings = std::make_unique<AppSettings>(m_store)).get();
    PermissionService *permissionService = sharedPermissionService();
    if (!permissionService && m_permission)
        permissionService = (m_ownPermissionService = std::make_unique<PermissionService>(*m_permission)).get();
    if (!permissionService)
        return;

    const QPointer<AppDelegate> self(this);
    auto *window = new OnboardingWindow(*settings, *permissionService, [self] {
        if (self)
            self->onboardingFinished();
    });
    window->view().setTrayAvailability(m_tray);
    setActivationPolicy(ActivationPolicy::regular);
    window->present(m_panels);
    windowCloseObserver = connect(window, &OnboardingWindow::willClose, this, &AppDelegate::onboardingWindowClosing);
    onboardingWindow = window;
}

void AppDelegate::presentOnboarding()
{
    m_onboardingTimer.stop();
    if (auto *window = qobject_cast<OnboardingWindow *>(onboardingWindow.data())) {
        // Closed with its close button, it stopped being watched.
        if (!windowCloseObserver)
            windowCloseObserver =
                connect(window, &OnboardingWindow::willClose, this, &AppDelegate::onboardingWindowClosing);
        setActivationPolicy(ActivationPolicy::regular);
        window->present(m_panels);
        return;
    }
    showOnboarding();
}

void AppDelegate::onboardingFinished()
{
    if (!onboardingWindow)
        return;
    onboardingWindow->close();
    // Later: the window's own button is still in the middle of its click.
    onboardingWindow->deleteLater();
    onboardingWindow = nullptr;
}

// A window closed before the end is kept, and the onboarding stays due: the
// next launch shows it again.
void AppDelegate::onboardingWindowClosing()
{
    setActivationPolicy(ActivationPolicy::accessory);
    disconnect(windowCloseObserver);
    windowCloseObserver = {};
}

void AppDelegate::setActivationPolicy(ActivationPolicy policy)
{
    m_activationPolicy = policy;
    // A tray utility keeps running when its last window (a prompt, an
    // alert, the onboarding) closes: only the quit item ends it.
    if (policy == ActivationPolicy::accessory)
        QApplication::setQuitOnLastWindowClosed(false);
}
