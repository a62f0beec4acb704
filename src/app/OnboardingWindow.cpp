#include "app/OnboardingWindow.h"

#include "app/PanelContext.h"
#include "setup/OnboardingView.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

OnboardingWindow::OnboardingWindow(
    AppSettings &settings, PermissionService &permissionService, std::function<void()> onComplete)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_view(new OnboardingView(settings, permissionService, std::move(onComplete)))
{
    setWindowTitle(tr("Welcome to Quillet"));
    setWindowIcon(QIcon(QStringLiteral(":/quillet.svg")));
    m_view->setFixedSize(ContentSize);

    auto *menuBar = new QMenuBar;
    QMenu *menu = menuBar->addMenu(tr("Quillet"));
    QAction *quit = menu->addAction(tr("Quit Quillet"), qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_view);
    // Neither resized nor minimised: the pages are laid out for this size.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void OnboardingWindow::present(const PanelContext &panels)
{
    adjustSize();
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
