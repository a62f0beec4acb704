#pragma once

#include "platform/LoginItems.h"

#include <QString>

// The freedesktop autostart entry $XDG_CONFIG_HOME/autostart/quillet.desktop,
// which every XDG desktop reads at login. An entry the desktop switched off
// (Hidden=true, or X-GNOME-Autostart-enabled=false as MATE, Cinnamon and
// older GNOME write it) or one it cannot load counts as off.
class XdgAutostartLoginItems : public LoginItems
{
public:
    // `program` is what the entry starts; by default the running program
    // ($APPIMAGE when run from an AppImage, whose mount point changes).
    explicit XdgAutostartLoginItems(QString program = runningProgram());

    static QString runningProgram();
    static QString entryPath();

    bool isEnabled() override;
    // Refuses a program path that an entry cannot name (see
    // DesktopEntry::execArgument) rather than write one that never starts.
    bool setEnabled(bool enabled) override;

private:
    QString m_program;
};
