#include "KeyboardShortcuts/MenuTracker.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/Hotkeys.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

namespace KeyboardShortcuts {

MenuTracker::MenuTracker()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

MenuTracker::~MenuTracker() = default;

bool MenuTracker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (qobject_cast<QMenu *>(watched))
            menuShown(watched);
        break;
    case QEvent::Hide:
    case QEvent::Destroy:
        if (m_openMenus.contains(watched))
            menuHidden(watched);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Both the menu and the window under it see the event; one is enough.
        if (!m_openMenus.isEmpty() && watched->isWidgetType() && qobject_cast<QMenu *>(watched)) {
            if (const auto shortcut = Shortcut::fromEvent(event))
                return CarbonKeyboardShortcuts::handleRawKeyEvent(*shortcut, event->type() == QEvent::KeyPress);
        }
        break;
    default:
        break;
    }
    return false;
}

void MenuTracker::menuShown(QObject *menu)
{
    m_openMenus.insert(menu);
    setMenuOpen(true);
}

void MenuTracker::menuHidden(QObject *menu)
{
    m_openMenus.remove(menu);
    if (m_openMenus.isEmpty())
        setMenuOpen(false);
}

} // namespace KeyboardShortcuts
