#include "setup/MoveToApplications.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

// A dangling symbolic link is still something in the way of a copy.
bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool removeAnything(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

} // namespace

ApplicationsFolders ApplicationsFolders::standard()
{
    return {QStringLiteral("/Applications"), QDir::homePath() + QStringLiteral("/Applications")};
}

MoveToApplications::MoveToApplications(QString bundlePath, ApplicationsFolders folders, Launcher launch)
    : m_bundlePath(std::move(bundlePath))
    , m_folders(std::move(folders))
    , m_launch(std::move(launch))
{
}

QString MoveToApplications::runningBundlePath()
{
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    return appImage.isEmpty() ? QCoreApplication::applicationFilePath() : appImage;
}

MoveToApplications::Launcher MoveToApplications::detachedLauncher()
{
    return [](const QString &program) { return QProcess::startDetached(program, {}); };
}

bool MoveToApplications::isRunningFromApplications() const
{
    return m_bundlePath.startsWith(m_folders.system) || m_bundlePath.startsWith(m_folders.home);
}

MoveToApplications::Result MoveToApplications::moveToApplications() const
{
    const QString name = QFileInfo(m_bundlePath).fileName();
    if (m_bundlePath == m_folders.system + u'/' + name)
        return {Outcome::alreadyInstalled, m_bundlePath};
    // Without a name the destinations would be the folders themselves.
    if (name.isEmpty())
        return {Outcome::failed, {}};

    for (const QString &folder : {m_folders.system, m_folders.home}) {
        const QString destination = folder + u'/' + name;
        if (!installAt(destination))
            continue;
        // Quitting before the copy runs would leave the user with no Quillet
        // at all, so a copy that does not start keeps this one running.
        const bool started = m_launch && m_launch(destination);
        return {started ? Outcome::relaunched : Outcome::installedNotStarted, destination};
    }
    return {Outcome::failed, {}};
}

bool MoveToApplications::installAt(const QString &destination) const
{
    if (!QDir().mkpath(QFileInfo(destination).path()))
        return false;
    // QFile::copy keeps the permissions, so the copy stays executable.
    if (!somethingAt(destination))
        return QFile::copy(m_bundlePath, destination);
    return replaceThroughBackup(destination);
}

// The older copy is set aside rather than deleted, so that a failed copy
// leaves the user with the version they had.
bool MoveToApplications::replaceThroughBackup(const QString &destination) const
{
    const QString backup = destination + QStringLiteral(".backup");
    if (somethingAt(backup) && !removeAnything(backup))
        return false;
    if (!QDir().rename(destination, backup))
        return false;
    if (QFile::copy(m_bundlePath, destination)) {
        removeAnything(backup);
        return true;
    }
    QDir().rename(backup, destination);
    return false;
}
