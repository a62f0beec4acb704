#include "app/MenuBarView.h"

#include "KeyboardShortcuts/Name.h"
#include "app/AppSettings.h"
#include "app/HotkeyService.h"
#include "output/FileService.h"
#include "setup/PermissionService.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDirIterator>
#include <QImageReader>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

QString escaped(QString title)
{
    // An ampersand in a shortcut's text is not a mnemonic.
    return title.replace(u'&', QStringLiteral("&&"));
}

// Every size rendered into the resources; the tray picks the one it needs.
// Read as PNG by name: a file whose format Qt has to find out makes it load
// every image format plugin into the tray process.
QIcon trayIconPicture()
{
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"), QDir::Dirs);
    while (sizes.hasNext()) {
        QImageReader reader(sizes.next() + QStringLiteral("/quillet.png"), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace

MenuBarView::MenuBarView(
    AppSettings &settings, PermissionService &permissionService, HotkeyService *hotkeyService, QObject *parent)
    : QObject(parent)
    , openUrl([](const QUrl &url) { QDesktopServices::openUrl(url); })
    , quit([] { QCoreApplication::quit(); })
    , m_settings(settings)
    , m_permissionService(permissionService)
    , m_hotkeyService(hotkeyService)
    , m_menu(std::make_unique<QMenu>())
{
    m_menu->setTitle(QStringLiteral("Quillet"));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &MenuBarView::rebuild);
    connect(m_menu.get(), &QMenu::aboutToHide, this, [this] {
        if (m_pendingCapture)
            QTimer::singleShot(0, this, &MenuBarView::startPendingCapture);
    });
    rebuild();
}

// Made only once a tray is there: Qt 6.4 decides between a
// StatusNotifierItem and XEmbed when the first icon is made, and never again.
void MenuBarView::showTrayIcon()
{
    if (m_trayIcon)
        return;
    m_trayIcon = std::make_unique<QSystemTrayIcon>(trayIconPicture());
    m_trayIcon->setToolTip(QStringLiteral("Quillet"));
    m_trayIcon->setContextMenu(m_menu.get());
    // A left click opens the same menu as a right click.
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger && !m_menu->isVisible())
            m_menu->popup(QCursor::pos());
    });
    m_trayIcon->show();
}

MenuBarView::~MenuBarView() = default;

QString MenuBarView::captureTitle(const QString &title, const KeyboardShortcuts::Name &name)
{
    const std::optional<KeyboardShortcuts::Shortcut> shortcut = name.shortcut();
    return shortcut ? title + QStringLiteral("  ") + shortcut->description() : title;
}

void MenuBarView::rebuild()
{
    m_menu->clear();
    if (m_delayMenu)
        m_delayMenu->deleteLater();
    addCaptureItems();
    m_menu->addSeparator();
    addFileItems();
    m_menu->addSeparator();
    if (!m_permissionService.hasScreenCapturePermission()) {
        m_menu->addAction(QStringLiteral("Grant Screen Recording Access\u2026"), this,
            [this] { m_permissionService.requestPermission(); });
        m_menu->addSeparator();
    }
    m_menu->addAction(QStringLiteral("Settings\u2026"), this, [this] {
        if (onOpenSettings)
            onOpenSettings();
    });
    m_menu->addSeparator();
    QAction *quitItem = m_menu->addAction(QStringLiteral("Quit Quillet"), this, [this] { quit(); });
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void MenuBarView::addCaptureItems()
{
    using Start = void (HotkeyService::*)();
    const std::tuple<QString, KeyboardShortcuts::Name, Start> items[] = {
        {QStringLiteral("Capture Region"), ShortcutNames::captureRegion(), &HotkeyService::startRegionCapture},
        {QStringLiteral("Capture Scroll"), ShortcutNames::captureScroll(), &HotkeyService::startScrollSelection},
        {QStringLiteral("Capture Fullscreen"), ShortcutNames::captureFullscreen(),
            &HotkeyService::startFullscreenCapture},
        {QStringLiteral("Capture Window"), ShortcutNames::captureWindow(), &HotkeyService::startWindowCapture},
    };
    for (const auto &[title, name, start] : items) {
        // The global shortcut does the work: the item gets no key of its own.
        m_menu->addAction(escaped(captureTitle(title, name)), this,
            [this, start = start] { startAfterMenuCloses([start](HotkeyService &coordinator) { (coordinator.*start)(); }); });
    }
    m_menu->addMenu(makeDelayMenu());
}

QMenu *MenuBarView::makeDelayMenu()
{
    m_delayMenu = new QMenu(QStringLiteral("Capture with Delay"), m_menu.get());
    const std::pair<QString, CaptureMode> modes[] = {
        {QStringLiteral("Region"), CaptureMode::region},
        {QStringLiteral("Fullscreen"), CaptureMode::fullscreen},
        {QStringLiteral("Window"), CaptureMode::window},
    };
    for (const auto &[modeTitle, mode] : modes) {
        if (!m_delayMenu->isEmpty())
            m_delayMenu->addSeparator();
        for (const int seconds : {3, 5}) {
            const QString title = QStringLiteral("%1 seconds \u2192 %2").arg(seconds).arg(modeTitle);
            m_delayMenu->addAction(title, this, [this, seconds, mode = mode] {
                startAfterMenuCloses(
                    [seconds, mode](HotkeyService &coordinator) { coordinator.startDelayedCapture(seconds, mode); });
            });
        }
    }
    return m_delayMenu;
}

void MenuBarView::addFileItems()
{
    const QString folder = m_settings.savePath();
    m_menu->addAction(QStringLiteral("Open Save Folder"), this, [this, folder] { openUrl(QUrl::fromLocalFile(folder)); });
    if (const std::optional<QString> last = FileService::mostRecentScreenshot(folder)) {
        m_menu->addAction(QStringLiteral("Open Last Screenshot"), this,
            [this, file = *last] { openUrl(QUrl::fromLocalFile(file)); });
    }
}

void MenuBarView::startAfterMenuCloses(std::function<void(HotkeyService &)> capture)
{
    if (!m_hotkeyService)
        return;
    m_pendingCapture = std::move(capture);
    // A chosen item's menus are hidden by now; an item triggered while the
    // menu stays open waits for it to close.
    if (!m_menu->isVisible())
        QTimer::singleShot(0, this, &MenuBarView::startPendingCapture);
}

void MenuBarView::startPendingCapture()
{
    if (m_menu->isVisible() || !m_hotkeyService)
        return;
    const auto capture = std::exchange(m_pendingCapture, nullptr);
    if (!capture)
        return;
    // The display server unmaps the hidden menus in its own time: wait
    // until it has, so that no picture of the screen shows them.
    if (syncDisplay)
        syncDisplay();
    capture(*m_hotkeyService);
}
