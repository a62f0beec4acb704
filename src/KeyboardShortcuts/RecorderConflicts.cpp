#include "KeyboardShortcuts/RecorderConflicts.h"

#include "KeyboardShortcuts/PhysicalKeys.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/State.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace KeyboardShortcuts {

namespace {

// A menu item's combination in the terms a recorded shortcut is compared in.
struct KeyEquivalent
{
    QString text;
    ModifierFlags mask;
};

std::optional<QString> specialKeyText(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F20)
        return QString(QChar(0xF704 + (key - Qt::Key_F1)));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("↩");
    case Qt::Key_Backspace:
        return QStringLiteral("⌫");
    case Qt::Key_Delete:
        return QStringLiteral("⌦");
    case Qt::Key_End:
        return QStringLiteral("↘");
    case Qt::Key_Escape:
        return QStringLiteral("⎋");
    case Qt::Key_Help:
        return QStringLiteral("?\u20DD");
    case Qt::Key_Home:
        return QStringLiteral("↖");
    case Qt::Key_Space:
        return QStringLiteral(" ");
    case Qt::Key_Tab:
        return QStringLiteral("⇥");
    case Qt::Key_PageUp:
        return QStringLiteral("⇞");
    case Qt::Key_PageDown:
        return QStringLiteral("⇟");
    case Qt::Key_Up:
        return QStringLiteral("↑");
    case Qt::Key_Right:
        return QStringLiteral("→");
    case Qt::Key_Down:
        return QStringLiteral("↓");
    case Qt::Key_Left:
        return QStringLiteral("←");
    default:
        return std::nullopt;
    }
}

// Qt states a letter key by its upper-case code and Shift as a modifier of
// its own, so the item's text is always the lower-case character and the
// mask is exactly the sequence's modifiers.
std::optional<KeyEquivalent> keyEquivalentOf(const QAction *action)
{
    const QKeySequence sequence = action->shortcut();
    if (sequence.isEmpty())
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const Qt::Key key = combination.key();
    std::optional<QString> text = specialKeyText(key);
    if (!text && key > 0 && key < 0x110000) {
        const char32_t character = char32_t(key);
        text = QString::fromUcs4(&character, 1).toLower();
    }
    if (!text)
        return std::nullopt;
    const Qt::KeyboardModifiers qt = combination.keyboardModifiers();
    ModifierFlags mask;
    if (qt & Qt::ShiftModifier)
        mask = mask | ModifierFlags::shift;
    if (qt & Qt::ControlModifier)
        mask = mask | ModifierFlags::control;
    if (qt & Qt::AltModifier)
        mask = mask | ModifierFlags::option;
    if (qt & Qt::MetaModifier)
        mask = mask | ModifierFlags::command;
    return KeyEquivalent{*text, mask};
}

// The text a menu would show for the shortcut's key; none never matches.
std::optional<QString> shortcutText(const Shortcut &shortcut)
{
    const auto &special = specialKeysByKeyCode();
    if (const auto it = special.constFind(shortcut.carbonKeyCode); it != special.cend())
        return menuKeyEquivalent(*it);
    if (auto character = characterForKeyCode(shortcut.carbonKeyCode))
        return character->toLower();
    return std::nullopt;
}

std::optional<QAction *> search(const QList<QAction *> &actions, const QString &text, ModifierFlags mask)
{
    for (QAction *action : actions) {
        const auto equivalent = keyEquivalentOf(action);
        if (equivalent && equivalent->text == text && equivalent->mask == mask)
            return action;
        if (QMenu *submenu = action->menu()) {
            if (auto found = search(submenu->actions(), text, mask))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace

QList<QWidget *> applicationMenus()
{
    QList<QWidget *> bars;
    QList<QMenu *> menus;
    QSet<QMenu *> submenus;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *bar = qobject_cast<QMenuBar *>(widget))
            bars.append(bar);
        else if (auto *menu = qobject_cast<QMenu *>(widget))
            menus.append(menu);
        for (QAction *action : widget->actions()) {
            if (action->menu())
                submenus.insert(action->menu());
        }
    }
    QList<QWidget *> roots = bars;
    for (QMenu *menu : menus) {
        if (!submenus.contains(menu))
            roots.append(menu);
    }
    return roots;
}

std::optional<QAction *> menuItemUsing(const QList<QWidget *> &menus, const Shortcut &shortcut)
{
    const auto text = shortcutText(shortcut);
    if (!text)
        return std::nullopt;
    for (QWidget *menu : menus) {
        if (auto found = search(menu->actions(), *text, shortcut.modifiers()))
            return found;
    }
    return std::nullopt;
}

QString menuItemTitle(const QAction *action)
{
    QString title = action->text().section(u'\t', 0, 0);
    QString plain;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title[i] == u'&' && i + 1 < title.size())
            ++i; // "&&" is a literal ampersand, "&x" a mnemonic
        plain += title[i];
    }
    return plain;
}

bool isTakenBySystem(const Shortcut &shortcut)
{
    HotkeyBackend *backend = state().environment.hotkeyBackend.get();
    const std::vector<int> keys = evdevCodesForKeyCode(shortcut.carbonKeyCode);
    const ModifierFlags flags = shortcut.modifiers();
    if (!backend || keys.empty() || flags.contains(ModifierFlags::function))
        return false;
    return backend->isTakenByOthers(keys, {flags.contains(ModifierFlags::shift), flags.contains(ModifierFlags::control),
                                           flags.contains(ModifierFlags::option), flags.contains(ModifierFlags::command)});
}

} // namespace KeyboardShortcuts
