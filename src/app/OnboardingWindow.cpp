#include "app/OnboardingWindow.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "app/CaptureBus.h"
#include "app/PanelContext.h"
#include "setup/OnboardingView.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QIcon>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

OnboardingWindow::OnboardingWindow(
    AppSettings &settings, PermissionService &permissionService, std::function<void()> onComplete)
    : QWidget(nullptr,
          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_view(new OnboardingView(settings, permissionService, std::move(onComplete)))
{
    setWindowTitle(tr("Welcome to Quillet"));
    setWindowIcon(QIcon(QStringLiteral(":/quillet.svg")));
    m_view->setMoveToApplications(MoveToApplications(
        MoveToApplications::runningBundlePath(), InstallPlaces::standard(), &OnboardingWindow::handOverTo));

    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, qApp, &QCoreApplication::quit);
    quit->setContext(Qt::WindowShortcut);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    // Neither resized nor minimised: the pages are laid out for this size.
    setFixedSize(ContentSize);
}

void OnboardingWindow::present(const PanelContext &panels)
{
    if (const QScreen *screen = panels.mainScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    panels.activate(*this);
}

void OnboardingWindow::closeEvent(QCloseEvent *event)
{
    emit willClose();
    QWidget::closeEvent(event);
}

bool OnboardingWindow::handOverTo(const QString &program)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *busNames = bus.isConnected() ? bus.interface() : nullptr;
    const QString name = QString::fromLatin1(CaptureBus::serviceName);
    const bool heldName = busNames && busNames->serviceOwner(name).value() == bus.baseService();
    const bool heldKeys = KeyboardShortcuts::hotkeysEnabled();
    KeyboardShortcuts::setHotkeysEnabled(false);
    if (heldName)
        busNames->unregisterService(name);
    if (MoveToApplications::detachedLauncher()(program))
        return true;
    if (heldName) {
        busNames->registerService(
            name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    }
    KeyboardShortcuts::setHotkeysEnabled(heldKeys);
    return false;
}
