#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// A keyboard layout compiled by xkbcommon from its names alone, with no X
// server: how a Wayland desktop describes the user's keyboard. Questions
// are answered in the first of its layouts whose letters are Latin (so a
// us,ru user's keys are named from "us"), else in the first layout.
class XkbNamedKeymap
{
public:
    // Comma-separated lists, as in `setxkbmap -layout us,de -variant ,nodeadkeys`.
    struct Names
    {
        QString layouts;
        QString variants;
        QString options;
    };

    // None when xkbcommon cannot compile the names.
    static std::unique_ptr<XkbNamedKeymap> compile(const Names &names);
    ~XkbNamedKeymap();

    // What the physical key (an evdev code) prints with no modifiers; dead
    // keys give their spacing form. None when it prints nothing.
    std::optional<QString> characterForKey(int evdevCode) const;
    // The key's keysym with no modifiers, by its xkb name ("4", "a", "F5", "Print").
    std::optional<QString> keysymNameForKey(int evdevCode) const;
    // The physical keys that give the named keysym at any shift level, as a
    // desktop matches a key binding; names are matched as xkb does, exactly
    // first and then ignoring case.
    std::vector<int> keysForKeysymName(const QString &name) const;

private:
    struct Private;
    explicit XkbNamedKeymap(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};
