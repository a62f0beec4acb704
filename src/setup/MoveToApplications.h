#pragma once

#include <QString>

#include <functional>

// The two folders an installed Quillet lives in: the system-wide one, tried
// first, and the user's own, created when missing.
struct ApplicationsFolders
{
    QString system;
    QString home;

    // "/Applications" and "$HOME/Applications".
    static ApplicationsFolders standard();
};

// Installs the running program into an Applications folder by copying it
// there and starting the copy. The running file is never removed: whatever
// fails, the user still has the Quillet they started.
class MoveToApplications
{
public:
    // Starts the program at the given path as a new process; returns whether
    // it started.
    using Launcher = std::function<bool(const QString &program)>;

    enum class Outcome {
        alreadyInstalled, // the running file already is the system-wide copy
        relaunched, // copied and started: the running instance should quit
        installedNotStarted, // copied, but the copy would not start
        failed, // neither folder took the copy
    };

    struct Result
    {
        Outcome outcome;
        QString destination; // where the copy went, when it went anywhere
    };

    MoveToApplications(QString bundlePath, ApplicationsFolders folders, Launcher launch);

    // The file that stands for the application: the AppImage when running
    // from one, else the executable.
    static QString runningBundlePath();
    // Starts the program detached, so that it outlives this process.
    static Launcher detachedLauncher();

    const QString &bundlePath() const { return m_bundlePath; }

    // A plain prefix test on the path, as a user who keeps the program in
    // either folder would expect.
    bool isRunningFromApplications() const;

    // Copies the program into the first folder that takes it, replacing an
    // older copy through a ".backup" that is put back if the copy fails, then
    // starts the copy.
    Result moveToApplications() const;

private:
    bool installAt(const QString &destination) const;
    bool replaceThroughBackup(const QString &destination) const;

    QString m_bundlePath;
    ApplicationsFolders m_folders;
    Launcher m_launch;
};
