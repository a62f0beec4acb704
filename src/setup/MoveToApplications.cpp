#include "setup/MoveToApplications.h"

#include "platform/DesktopEntry.h"
#include "platform/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>
#include <optional>

namespace {

const QString appId = QStringLiteral("io.quillet.Quillet");

QString tr(const char *text)
{
    return QCoreApplication::translate("MoveToApplications", text);
}

// The real path of a file or folder that may not exist yet: its deepest
// existing folder resolved, the rest kept.
QString realPath(const QString &path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QStringLiteral("/")) {
        rest.prepend(u'/' + QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    const QString real = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((real.isEmpty() ? existing : real) + rest);
}

bool isInside(const QString &path, const QString &folder)
{
    const QString real = realPath(folder);
    return path == real || path.startsWith(real == QStringLiteral("/") ? real : real + u'/');
}

// A file or a link, even a dangling one, may be set aside; anything else is
// the user's business.
enum class InTheWay { nothing, replaceable, other };

InTheWay whatIsAt(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return InTheWay::replaceable;
    if (!info.exists())
        return InTheWay::nothing;
    return info.isFile() ? InTheWay::replaceable : InTheWay::other;
}

bool writeText(const QString &path, const QByteArray &text)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

// The packaged launcher entry with every Exec starting the installed copy:
// ~/.local/bin is not on every user's PATH.
std::optional<QByteArray> launcherEntry(const QString &program)
{
    QFile packaged(QStringLiteral(":/io.quillet.Quillet.desktop"));
    const std::optional<QString> exec = DesktopEntry::execArgument(program);
    if (!exec || !packaged.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = QString::fromUtf8(packaged.readAll()).split(u'\n');
    for (QString &line : lines) {
        if (!line.startsWith(QStringLiteral("Exec=")))
            continue;
        const qsizetype space = line.indexOf(u' ');
        line = QStringLiteral("Exec=") + *exec + (space < 0 ? QString() : line.mid(space));
    }
    return lines.join(u'\n').toUtf8();
}

// Renames the entry itself, never what a link points to.
bool renamePath(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

QString notAFile(const QString &path)
{
    return (QFileInfo(path).isDir() ? tr("%1 is a folder. Move it elsewhere, then try again.")
                                    : tr("%1 is not a file. Move it elsewhere, then try again."))
        .arg(QDir::toNativeSeparators(path));
}

// The files put in place so far, and what each replaced, so that a failure
// part-way leaves everything as it was.
class Transaction
{
public:
    // Returns what went wrong, or nothing.
    QString put(const QString &destination, const std::function<bool(const QString &)> &write);
    void rollBack();
    void commit();

private:
    struct Placed
    {
        QString destination;
        QString setAside; // empty when nothing was there
    };
    QString setAside(const QString &destination, QString &backup);

    QList<Placed> m_placed;
};

QString Transaction::put(const QString &destination, const std::function<bool(const QString &)> &write)
{
    const QString folder = QFileInfo(destination).path();
    if (!QDir().mkpath(folder))
        return tr("Could not create the folder %1.").arg(QDir::toNativeSeparators(folder));
    QString backup;
    if (const QString problem = setAside(destination, backup); !problem.isEmpty())
        return problem;
    if (!write(destination)) {
        QFile::remove(destination);
        if (!backup.isEmpty())
            renamePath(backup, destination);
        return tr("Could not write %1.").arg(QDir::toNativeSeparators(destination));
    }
    m_placed.append({destination, backup});
    return {};
}

QString Transaction::setAside(const QString &destination, QString &backup)
{
    switch (whatIsAt(destination)) {
    case InTheWay::nothing:
        return {};
    case InTheWay::other:
        return notAFile(destination);
    case InTheWay::replaceable:
        break;
    }
    const QString candidate = destination + QStringLiteral(".backup");
    // A backup left over from an earlier attempt is a file of ours.
    switch (whatIsAt(candidate)) {
    case InTheWay::other:
        return notAFile(candidate);
    case InTheWay::replaceable:
        if (!QFile::remove(candidate))
            return tr("Could not remove %1.").arg(QDir::toNativeSeparators(candidate));
        break;
    case InTheWay::nothing:
        break;
    }
    if (!renamePath(destination, candidate))
        return tr("Could not set %1 aside.").arg(QDir::toNativeSeparators(destination));
    backup = candidate;
    return {};
}

void Transaction::rollBack()
{
    for (auto it = m_placed.crbegin(); it != m_placed.crend(); ++it) {
        QFile::remove(it->destination);
        if (!it->setAside.isEmpty())
            renamePath(it->setAside, it->destination);
    }
    m_placed.clear();
}

void Transaction::commit()
{
    for (const Placed &placed : std::as_const(m_placed)) {
        if (!placed.setAside.isEmpty())
            QFile::remove(placed.setAside);
    }
    m_placed.clear();
}

} // namespace

// One file the install puts in place, and how it writes it.
struct MoveToApplications::Item
{
    QString destination;
    std::function<bool(const QString &path)> write;
};

InstallPlaces InstallPlaces::standard()
{
    return forUser(QDir::homePath(), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

InstallPlaces InstallPlaces::forUser(const QString &home, const QString &dataHome)
{
    // Flatpak runs its programs from /app and keeps them under
    // /var/lib/flatpak; Snap from /snap.
    return {{QStringLiteral("/usr"), QStringLiteral("/opt"), QStringLiteral("/app"), QStringLiteral("/snap"),
                QStringLiteral("/var/lib/flatpak"), QStringLiteral("/var/lib/snapd")},
        home + QStringLiteral("/.local/bin"), home + QStringLiteral("/.local/libexec/quillet"), dataHome + QStringLiteral("/applications"),
        dataHome + QStringLiteral("/icons/hicolor")};
}

MoveToApplications::MoveToApplications(QString bundlePath, InstallPlaces places, Launcher launch)
    : m_bundlePath(std::move(bundlePath))
    , m_places(std::move(places))
    , m_launch(std::move(launch))
{
}

QString MoveToApplications::runningBundlePath()
{
    return ProgramFiles::command();
}

MoveToApplications::Launcher MoveToApplications::detachedLauncher()
{
    return [](const QString &program) {
        // The copy outlives this process and whatever reads its output: a
        // write to a pipe nobody reads any more would end it.
        QProcess copy;
        copy.setProgram(program);
        copy.setStandardInputFile(QProcess::nullDevice());
        copy.setStandardOutputFile(QProcess::nullDevice());
        copy.setStandardErrorFile(QProcess::nullDevice());
        return copy.startDetached();
    };
}

MoveToApplications::Placement MoveToApplications::placement() const
{
    if (m_bundlePath.isEmpty())
        return Placement::elsewhere;
    const QString program = realPath(m_bundlePath);
    if (isInside(program, m_places.bin))
        return Placement::user;
    for (const QString &folder : m_places.systemFolders) {
        if (isInside(program, folder))
            return Placement::system;
    }
    return Placement::elsewhere;
}

// One name whatever the file was called, so that `quillet` runs it and a
// later install replaces it.
QString MoveToApplications::installedProgram() const
{
    return m_places.bin + QStringLiteral("/quillet");
}

QList<MoveToApplications::Item> MoveToApplications::items() const
{
    const auto copyOf = [](const QString &source) {
        return [source](const QString &path) {
            return QFile::copy(source, path)
                && QFile::setPermissions(path,
                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                        | QFile::ReadOther | QFile::ExeOther);
        };
    };
    const QString program = installedProgram();
    QList<Item> items;
    // The program first (and the module it loads before it), so that the
    // command never stands without them.
    if (const QString started = ProgramFiles::programFor(m_bundlePath); !started.isEmpty()) {
        if (const QString module = ProgramFiles::waylandModuleBeside(started); QFileInfo(module).isFile())
            items.append({m_places.programs + u'/' + QLatin1String(ProgramFiles::waylandModuleName), copyOf(module)});
        items.append({m_places.programs + QStringLiteral("/quillet"), copyOf(started)});
    }
    items += QList<Item>{
        {program, copyOf(m_bundlePath)},
        {m_places.applications + u'/' + appId + QStringLiteral(".desktop"),
            [program](const QString &path) {
                const std::optional<QByteArray> entry = launcherEntry(program);
                return entry && writeText(path, *entry);
            }},
        {m_places.icons + QStringLiteral("/scalable/apps/") + appId + QStringLiteral(".svg"),
            [](const QString &path) {
                QFile icon(QStringLiteral(":/quillet.svg"));
                return icon.open(QIODevice::ReadOnly) && writeText(path, icon.readAll());
            }},
    };
    return items;
}

MoveToApplications::Result MoveToApplications::moveToApplications() const
{
    if (placement() != Placement::elsewhere)
        return {Outcome::alreadyInstalled, m_bundlePath, {}};
    if (!QFileInfo(m_bundlePath).isFile())
        return {Outcome::failed, {}, tr("The running program %1 cannot be found.").arg(m_bundlePath)};
    Transaction transaction;
    for (const Item &item : items()) {
        if (const QString problem = transaction.put(item.destination, item.write); !problem.isEmpty()) {
            transaction.rollBack();
            return {Outcome::failed, {}, problem};
        }
    }
    transaction.commit();
    // Quitting before the copy runs would leave the user with no Quillet at
    // all, so a copy that does not start keeps this one running.
    const QString program = installedProgram();
    const bool started = m_launch && m_launch(program);
    return {started ? Outcome::relaunched : Outcome::installedNotStarted, program, {}};
}
