#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where a program already belongs, and where Quillet installs itself for
// this user the XDG way.
struct InstallPlaces
{
    // Installed by the system: a package, /usr/local, /opt, Flatpak, Snap.
    QStringList systemFolders;
    QString bin; // ~/.local/bin
    QString programs; // ~/.local/libexec/quillet, for the program the command starts
    QString applications; // $XDG_DATA_HOME/applications, for the launcher entry
    QString icons; // $XDG_DATA_HOME/icons/hicolor

    static InstallPlaces standard();
    // The user's places below `home` and `dataHome`, with the standard system folders.
    static InstallPlaces forUser(const QString &home, const QString &dataHome);
};

// Installs the running program for this user: the `quillet` command (or the
// AppImage) into ~/.local/bin and the program it starts where it looks, its launcher entry and its icon beside the user's
// other applications, then starts that copy. Whatever is in the way is set
// aside and put back if the install fails; a folder (or anything but a file
// or a link) in the way is never touched: the install fails naming it. The
// running file is never removed.
class MoveToApplications
{
public:
    // Starts the program at the given path as a new process; returns whether
    // it started.
    using Launcher = std::function<bool(const QString &program)>;

    enum class Placement { system, user, elsewhere };

    enum class Outcome {
        alreadyInstalled, // the running file already is where it belongs
        relaunched, // installed and started: the running instance should quit
        installedNotStarted, // installed, but the copy would not start
        failed, // nothing changed; `problem` says why
    };

    struct Result
    {
        Outcome outcome;
        QString destination; // the installed program, when installed
        QString problem; // for the user, when it failed
    };

    MoveToApplications(QString bundlePath, InstallPlaces places, Launcher launch);

    // The file that stands for the application: the AppImage when running
    // from one, else the executable.
    static QString runningBundlePath();
    // Starts the program detached, so that it outlives this process.
    static Launcher detachedLauncher();

    const QString &bundlePath() const { return m_bundlePath; }
    // Compares real paths: a home reached through a symbolic link is home.
    Placement placement() const;
    bool isRunningFromApplications() const { return placement() != Placement::elsewhere; }
    QString installedProgram() const;

    Result moveToApplications() const;

private:
    struct Item;
    QList<Item> items() const;

    QString m_bundlePath;
    InstallPlaces m_places;
    Launcher m_launch;
};
