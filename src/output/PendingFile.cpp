#include "output/PendingFile.h"

#include "output/FileError.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString hiddenName()
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral(".quillet-");
    for (int i = 0; i < 12; ++i)
        name += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet) - 1)]);
    return name + QStringLiteral(".part");
}

QString osReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// For file systems without hard links (exFAT, FAT and many FUSE mounts):
// the name is claimed by creating it exclusively, then the finished file is
// moved over our own empty placeholder.
int claimThenRename(const QByteArray &from, const QByteArray &to)
{
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        return error;
    }
    return 0;
}

// Moves `from` to `to` only if nothing exists at `to`; returns 0 or errno.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot refuse a replace on rename; a hard link refuses
    // it just as well.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    return claimThenRename(from, to);
}

} // namespace

std::unique_ptr<PendingFile> PendingFile::create(const QString &folder)
{
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        const QString path = QDir(folder).filePath(hiddenName());
        // 0666 so that the finished file gets the user's usual permissions (umask).
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::unique_ptr<PendingFile>(new PendingFile(path, fd));
        error = errno;
    }
    throw FileErrorException(
        FileError::couldNotCreateDestination, folder + QStringLiteral(": ") + osReason(error));
}

PendingFile::PendingFile(QString path, int fd)
    : m_path(std::move(path))
{
    m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
}

PendingFile::~PendingFile()
{
    m_file.close();
    if (!m_published)
        ::unlink(QFile::encodeName(m_path).constData());
}

QString PendingFile::errorString() const
{
    return m_file.error() != QFileDevice::NoError ? m_file.errorString() : m_error;
}

bool PendingFile::finish()
{
    if (!m_file.isOpen() || !m_file.flush())
        return false;
    // Without this a crash soon after the save could leave an empty file
    // under the real name: the rename can reach the disk before the data.
    if (::fsync(m_file.handle()) != 0)
        m_error = osReason(errno);
    m_file.close();
    return !failed();
}

PendingFile::Publication PendingFile::publishAs(const QString &path)
{
    const int error = renameNoReplace(QFile::encodeName(m_path), QFile::encodeName(path));
    if (error == 0) {
        m_published = true;
        return Publication::done;
    }
    if (error == EEXIST)
        return Publication::nameTaken;
    m_error = osReason(error);
    return Publication::failed;
}
