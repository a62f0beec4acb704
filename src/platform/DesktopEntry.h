#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// Reading and writing freedesktop desktop entries (launcher and autostart
// files) the way GLib, KDE and desktop-file-validate read them.
namespace DesktopEntry {

// A program path as one quoted argument of an Exec key: the quoting rule
// escapes `"`, `` ` ``, `$` and `\`, the string rule then escapes every
// backslash and writes tab, newline and carriage return as \t, \n, \r.
// Nothing for a path no reader would find again: other control characters,
// and `%`, which the field-code rule writes as %% but GLib then looks for
// literally when it checks that the program exists.
std::optional<QString> execArgument(const QString &program);

// The keys of one group, or nothing when a line is neither a comment, a
// group header nor a key: such a file does not load on the desktop.
std::optional<QHash<QString, QString>> readGroup(const QByteArray &text, const QString &group);

} // namespace DesktopEntry
