#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// GNOME's key bindings as settings: the list of custom keybinding paths
// with a name, command and binding at each, and the desktop's own bindings.
class GnomeKeybindingStore
{
public:
    struct Custom
    {
        QString name;
        QString command;
        QString binding; // an accelerator such as "<Shift><Alt><Super>4"
        friend bool operator==(const Custom &, const Custom &) = default;
    };

    virtual ~GnomeKeybindingStore() = default;

    // The custom keybinding paths; none when they cannot be read, and then
    // the list must not be written either, or the user's would be lost.
    virtual std::optional<QStringList> customPaths() = 0;
    virtual bool setCustomPaths(const QStringList &paths) = 0;
    virtual std::optional<Custom> custom(const QString &path) = 0;
    virtual bool setCustom(const QString &path, const Custom &binding) = 0;
    virtual void resetCustom(const QString &path) = 0;
    // Every accelerator of the desktop's own bindings (window manager,
    // shell, compositor, media keys), custom ones aside.
    virtual QStringList systemAccelerators() = 0;
    // Hands the writes to the settings service before the process ends.
    virtual void sync() {}
    // Why customPaths() has nothing, in a sentence; empty when unknown.
    virtual QString unreadableReason() const { return {}; }
};

// The store in the user's GSettings; none without GNOME's schemas or where
// gio would keep settings only in memory.
std::unique_ptr<GnomeKeybindingStore> makeGSettingsKeybindingStore();
