#include "output/PendingFile.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
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

// Moves `from` to `to` only if nothing exists at `to`.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot refuse a replace on rename; a hard link refuses
    // it just as well.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

std::unique_ptr<PendingFile> PendingFile::create(const QString &folder)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString path = QDir(folder).filePath(hiddenName());
        // 0666 so that the finished file gets the user's usual permissions (umask).
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::unique_ptr<PendingFile>(new PendingFile(path, fd));
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
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

bool PendingFile::finish()
{
    if (!m_file.isOpen() || !m_file.flush())
        return false;
    // Without this a crash soon after the save could leave an empty file
    // under the real name: the rename can reach the disk before the data.
    const bool durable = ::fsync(m_file.handle()) == 0;
    m_file.close();
    return durable && m_file.error() == QFileDevice::NoError;
}

PendingFile::Publication PendingFile::publishAs(const QString &path)
{
    const int error = renameNoReplace(QFile::encodeName(m_path), QFile::encodeName(path));
    if (error == 0) {
        m_published = true;
        return Publication::done;
    }
    return error == EEXIST ? Publication::nameTaken : Publication::failed;
}
