#pragma once

#include "platform/LoginItems.h"

#include <QString>

// The freedesktop autostart entry $XDG_CONFIG_HOME/autostart/quillet.desktop,
// which every XDG desktop reads at login. An entry marked Hidden=true counts
// as switched off, as the desktops treat it.
class XdgAutostartLoginItems : public LoginItems
{
public:
    // `program` is what the entry starts; by default the running program
    // ($APPIMAGE when run from an AppImage, whose mount point changes).
    explicit XdgAutostartLoginItems(QString program = runningProgram());

    static QString runningProgram();
    static QString entryPath();
    // The program as one argument of an entry's Exec key.
    static QString execArgument(const QString &program);

    bool isEnabled() override;
    bool setEnabled(bool enabled) override;

private:
    QString m_program;
};
