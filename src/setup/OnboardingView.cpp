#include "setup/OnboardingView.h"

#include "app/AppSettings.h"
#include "setup/FolderChooser.h"
#include "setup/NoTrayNotice.h"
#include "setup/PermissionService.h"
#include "setup/SetupWidgets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStackedWidget>

namespace {

constexpr int PagePadding = 32;
constexpr int BarPadding = 24;
constexpr int FadeMs = 200;

// A brief fade-in of the page that replaces another.
void fadeIn(QWidget *page)
{
    auto *effect = new QGraphicsOpacityEffect(page);
    effect->setOpacity(0.0);
    page->setGraphicsEffect(effect);
    auto *animation = new QPropertyAnimation(effect, "opacity", effect);
    animation->setDuration(FadeMs);
    animation->setEndValue(1.0);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    // Without the effect the page paints straight to the window again; it
    // goes only after the animation has let go of it.
    const QPointer<QGraphicsEffect> guard(effect);
    QObject::connect(
        animation, &QAbstractAnimation::finished, page,
        [page, guard] {
            if (guard && page->graphicsEffect() == guard)
                page->setGraphicsEffect(nullptr);
        },
        Qt::QueuedConnection);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

OnboardingView::OnboardingView(
    AppSettings &settings, PermissionService &permissionService, std::function<void()> onComplete, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_permissionService(permissionService)
    , m_onComplete(std::move(onComplete))
    , m_move(MoveToApplications::runningBundlePath(), ApplicationsFolders::standard(),
          MoveToApplications::detachedLauncher())
    , m_chooseFolder([this](QWidget *parent) { return FolderChooser::chooseFolder(parent, m_settings.savePath()); })
{
    m_pages = new QStackedWidget;
    for (QWidget *page : {buildWelcomePage(), buildApplicationsPage(), buildShortcutsPage(), buildSaveFolderPage(),
             buildPermissionPage(), buildMenuBarPage()})
        m_pages->addWidget(page);

    auto *pageArea = new QWidget;
    auto *pageLayout = new QVBoxLayout(pageArea);
    pageLayout->setContentsMargins(PagePadding, PagePadding, PagePadding, PagePadding);
    pageLayout->addWidget(m_pages);

    // Above the pages, in the room of their top margin.
    m_noTray = new NoTrayNotice;
    connect(m_noTray, &NoTrayNotice::dueChanged, this, &OnboardingView::updateMenuBarPage);
    auto *notice = new QVBoxLayout;
    notice->setContentsMargins(8, 8, 8, 0);
    notice->addWidget(m_noTray);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(notice);
    layout->addWidget(pageArea, 1);
    layout->addWidget(buildNavigationBar());

    connect(&m_permissionService, &PermissionService::hasScreenCapturePermissionChanged, this,
        &OnboardingView::updatePermissionPage);
    updateApplicationsPage();
    updatePermissionPage();
    updateNavigation();
}

// A view that goes while showing the permission page takes its poll along.
OnboardingView::~OnboardingView()
{
    pageHidden(m_currentPage);
}

void OnboardingView::setMoveToApplications(MoveToApplications move)
{
    m_move = std::move(move);
}

void OnboardingView::setFolderChooser(AskForFolder chooser)
{
    m_chooseFolder = std::move(chooser);
}

void OnboardingView::setTrayAvailability(std::shared_ptr<TrayAvailability> tray)
{
    m_noTray->setTrayAvailability(std::move(tray));
}

void OnboardingView::updateMenuBarPage()
{
    const bool noTray = m_noTray->isDue();
    m_menuBar.strip->setVisible(!noTray);
    m_menuBar.where->setVisible(!noTray);
    m_menuBar.background->setVisible(!noTray);
    m_menuBar.noTray->setVisible(noTray);
}

QWidget *OnboardingView::buildNavigationBar()
{
    auto *bar = new QWidget;
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, SetupStyle::tone(this, SetupStyle::Tone::quaternary).lighter(104));
    bar->setPalette(palette);

    m_dots = new PageDots(totalPages);
    m_back = new QPushButton(tr("Back"));
    m_next = new QPushButton(tr("Next"));
    m_getStarted = new QPushButton(tr("Get Started"));
    SetupStyle::makeProminent(m_next);
    SetupStyle::makeProminent(m_getStarted);
    connect(m_back, &QPushButton::clicked, this, &OnboardingView::goToPreviousPage);
    connect(m_next, &QPushButton::clicked, this, &OnboardingView::goToNextPage);
    connect(m_getStarted, &QPushButton::clicked, this, &OnboardingView::finishOnboarding);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(BarPadding, BarPadding, BarPadding, BarPadding);
    row->setSpacing(10);
    row->addWidget(m_dots);
    row->addStretch();
    row->addWidget(m_back);
    row->addWidget(m_next);
    row->addWidget(m_getStarted);

    auto *separator = new QFrame;
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Plain);
    SetupStyle::setColor(separator, SetupStyle::tone(this, SetupStyle::Tone::quaternary));
    auto *column = new QVBoxLayout(bar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(separator);
    column->addLayout(row);
    return bar;
}

void OnboardingView::goToNextPage()
{
    setCurrentPage(m_currentPage + 1);
}

void OnboardingView::goToPreviousPage()
{
    setCurrentPage(m_currentPage - 1);
}

void OnboardingView::setCurrentPage(int page)
{
    if (page == m_currentPage || page < 0 || page >= totalPages)
        return;
    pageHidden(m_currentPage);
    m_currentPage = page;
    m_pages->setCurrentIndex(page);
    fadeIn(m_pages->currentWidget());
    updateNavigation();
    pageShown(page);
}

void OnboardingView::pageShown(int page)
{
    if (page == applicationsPage)
        checkIfInApplications();
    // Watched whatever the answer is now, so a grant made in the meantime, or
    // a permission taken back, shows while the user looks at the page.
    if (page == permissionPage)
        m_permissionService.startPolling();
}

void OnboardingView::pageHidden(int page)
{
    if (page == permissionPage && m_permissionService.pollTimer())
        m_permissionService.stopPolling();
}

void OnboardingView::hideEvent(QHideEvent *event)
{
    // A minimised window still shows the page; a closed one does not.
    if (!event->spontaneous())
        pageHidden(m_currentPage);
    QWidget::hideEvent(event);
}

void OnboardingView::updateNavigation()
{
    m_dots->setCurrent(m_currentPage);
    m_back->setVisible(m_currentPage >= 1);
    m_next->setVisible(m_currentPage < totalPages - 1);
    m_getStarted->setVisible(m_currentPage >= totalPages - 1);
}

void OnboardingView::finishOnboarding()
{
    m_settings.setHasCompletedOnboarding(true);
    if (m_onComplete)
        m_onComplete();
}

void OnboardingView::chooseSaveFolder()
{
    if (const std::optional<QString> folder = m_chooseFolder(this))
        m_settings.setSavePath(*folder);
}

void OnboardingView::checkIfInApplications()
{
    m_isRunningFromApplications = m_move.isRunningFromApplications();
    updateApplicationsPage();
}

void OnboardingView::moveToApplications()
{
    m_moveAttempted = true;
    m_moveError.reset();
    const MoveToApplications::Result result = m_move.moveToApplications();
    switch (result.outcome) {
    case MoveToApplications::Outcome::alreadyInstalled:
        m_isRunningFromApplications = true;
        break;
    case MoveToApplications::Outcome::relaunched:
        // The copy runs now; this instance steps aside once the click is done.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        break;
    case MoveToApplications::Outcome::installedNotStarted:
        m_moveError = tr("Quillet was copied to %1 but could not be started from there. Start it from that folder.")
                          .arg(QDir::toNativeSeparators(QFileInfo(result.destination).path()));
        break;
    case MoveToApplications::Outcome::failed:
        m_moveError = tr("Couldn't move — you may need to drag the app to Applications manually.");
        break;
    }
    updateApplicationsPage();
}

void OnboardingView::updateApplicationsPage()
{
    const bool inPlace = m_isRunningFromApplications;
    m_applications.symbol->setSymbol(inPlace ? QStringLiteral("checkmark-circle-fill")
                                             : QStringLiteral("folder-badge-questionmark"),
        inPlace ? SetupStyle::green() : SetupStyle::accent(this));
    m_applications.title->setText(inPlace ? tr("You're in the right place") : tr("Move to Applications"));
    m_applications.inPlace->setVisible(inPlace);
    m_applications.offer->setVisible(!inPlace);
    m_applications.move->setText(m_moveAttempted ? tr("Retry") : tr("Move to Applications"));
    m_applications.error->setText(m_moveError.value_or(QString()));
    m_applications.error->setVisible(m_moveError.has_value());
}

void OnboardingView::updatePermissionPage()
{
    const bool granted = m_permissionService.hasScreenCapturePermission();
    m_permission.symbol->setSymbol(granted ? QStringLiteral("checkmark-shield-fill")
                                           : QStringLiteral("shield-lefthalf-filled"),
        granted ? SetupStyle::green() : SetupStyle::accent(this));
    m_permission.granted->setVisible(granted);
    m_permission.missing->setVisible(!granted);
}
