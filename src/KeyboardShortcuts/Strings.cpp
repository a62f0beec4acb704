#include "KeyboardShortcuts/Strings.h"

#include <QTextBoundaryFinder>

#include <cstring>

namespace KeyboardShortcuts {

namespace {

struct Entry
{
    const char *key;
    const char *text;
};

// One table for every text of the library, in English.
constexpr Entry strings[] = {
    {"record_shortcut", "Record Shortcut"},
    {"press_shortcut", "Press Shortcut"},
    {"keyboard_shortcut_used_by_menu_item",
     "This shortcut is already taken by the menu item “%1”. Please choose another one."},
    {"keyboard_shortcut_used_by_system", "This shortcut is already in use by the system or another program."},
    {"keyboard_shortcuts_can_be_changed",
     "Most system shortcuts can be changed in your desktop's keyboard settings."},
    {"ok", "OK"},
    {"force_use_shortcut", "Use It Anyway"},
    {"keyboard_shortcut_disallowed",
     "This combination cannot be used as a shortcut. Add Control or Super to it."},
};

} // namespace

QString localizedString(const char *key)
{
    for (const Entry &entry : strings) {
        if (std::strcmp(entry.key, key) == 0)
            return QString::fromUtf8(entry.text);
    }
    return QString::fromUtf8(key);
}

QString capitalized(const QString &text)
{
    if (text.isEmpty())
        return text;
    // The first grapheme may span several UTF-16 units.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    const qsizetype firstEnd = finder.toNextBoundary();
    const qsizetype split = firstEnd > 0 ? firstEnd : text.size();
    const QString first = text.left(split);
    const QString upper = first.toUpper();
    // "ß" upper-cases to "SS", which would read as two keys.
    QTextBoundaryFinder upperFinder(QTextBoundaryFinder::Grapheme, upper);
    const bool oneCharacter = upperFinder.toNextBoundary() == upper.size();
    return (oneCharacter ? upper : first) + text.mid(split);
}

} // namespace KeyboardShortcuts
