#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QList>

#include <optional>

class QAction;
class QWidget;

namespace KeyboardShortcuts {

// Where a shortcut the user records would clash with something else.

// The menus to search: every menu bar of ours, then every menu that is not
// some other menu's submenu (the tray menu, context menus).
QList<QWidget *> applicationMenus();

// The first action, depth first through submenus, whose own shortcut is
// this one; none when no menu uses it.
std::optional<QAction *> menuItemUsing(const QList<QWidget *> &menus, const Shortcut &shortcut);

// An action's title as a user reads it: no mnemonic ampersands.
QString menuItemTitle(const QAction *action);

// Whether another program has grabbed the combination, so that ours would
// never fire. Asked afresh on every call.
bool isTakenBySystem(const Shortcut &shortcut);

} // namespace KeyboardShortcuts
