#pragma once

#include "platform/HotkeyBackend.h"
#include "platform/wayland/GnomeKeybindingStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// Global shortcuts on GNOME, where no program may grab keys: each command
// of a registration becomes one of GNOME's custom keybindings, which runs
// this program with the command's arguments on the press. Quillet's
// bindings live under paths of their own, so the user's are never touched,
// and they stay when Quillet quits: a press then starts it.
//
// Registrations are written to the settings on the next turn of the event
// loop, when the commands behind them are known, and all at once.
class GnomeHotkeyBackend : public QObject, public HotkeyBackend
{
    Q_OBJECT

public:
    // How the keyboard names its keys, as GNOME's accelerators do.
    struct Keysyms
    {
        std::function<std::optional<QString>(int evdevCode)> nameForKey;
        std::function<std::vector<int>(const QString &name)> keysForName;
    };

    static inline const QString pathPrefix =
        QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillet-");

    // `program` is the absolute path that the bindings start.
    GnomeHotkeyBackend(std::unique_ptr<GnomeKeybindingStore> store, Keysyms keysyms, QString program);
    ~GnomeHotkeyBackend() override;

    Result grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers) override;
    void ungrab(quint32 id) override;
    void setCallback(Callback callback) override;
    void setCommandSource(CommandSource source) override;
    bool isBlockedByMenus() const override { return false; }
    bool isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers) override;

    // Writes what changed since the last time; the event loop calls it.
    void flush();
    // Bindings outlive the process: from now on nothing is written or removed.
    void freeze();

    // "<Shift><Control><Alt><Super>" and the keysym's name.
    static QString accelerator(const QString &keysymName, KeyModifiers modifiers);
    struct ParsedAccelerator
    {
        QString keysymName;
        KeyModifiers modifiers;
        bool otherModifiers = false; // Hyper, Meta and the like: never one of ours
    };
    static std::optional<ParsedAccelerator> parseAccelerator(const QString &accelerator);
    // The command line GNOME runs, quoted as GLib splits it.
    static QString commandLine(const QString &program, const QStringList &arguments);
    static QString pathOf(const Command &command);

private:
    struct Registration
    {
        std::vector<int> evdevCodes;
        KeyModifiers modifiers;
    };
    std::map<QString, GnomeKeybindingStore::Custom> wanted() const;
    bool usedBy(const QStringList &accelerators, const std::vector<int> &evdevCodes, KeyModifiers modifiers) const;
    std::optional<QStringList> acceleratorsInUse();
    void scheduleFlush();
    void complainOnce(const QString &message);
    void complainUnreadable();

    std::unique_ptr<GnomeKeybindingStore> m_store;
    Keysyms m_keysyms;
    QString m_program;
    CommandSource m_commands;
    std::map<quint32, Registration> m_registrations;
    bool m_flushScheduled = false;
    bool m_frozen = false;
    bool m_complained = false;
};
