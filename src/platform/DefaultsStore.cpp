#include "platform/DefaultsStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

QString osReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct FileContents
{
    enum class Kind { absent, object, unusable, unreadable } kind;
    QJsonObject object;
    QString reason; // why the file is unusable or unreadable
};

QString describeFileType(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

FileContents parse(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        return {FileContents::Kind::object, {}, {}}; // an empty file is an empty store
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return {FileContents::Kind::unusable, {},
            QStringLiteral("is not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset)};
    if (!document.isObject())
        return {FileContents::Kind::unusable, {}, QStringLiteral("does not hold a JSON object")};
    return {FileContents::Kind::object, document.object(), {}};
}

// Opens without blocking and checks what was opened, not what the name
// pointed at a moment before: a pipe would hang the read, and a link to
// /dev/zero would never end.
FileContents readFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {FileContents::Kind::absent, {}, {}};
        return {FileContents::Kind::unreadable, {}, osReason(errno)};
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const QString type = describeFileType(status.st_mode);
        ::close(fd);
        return {FileContents::Kind::unusable, {}, QStringLiteral("is %1, not a regular file").arg(type)};
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // One byte more than allowed tells a file that grew past the limit.
    const QByteArray bytes = file.read(DefaultsStore::maxFileSize + 1);
    if (bytes.size() > DefaultsStore::maxFileSize)
        return {FileContents::Kind::unusable, {},
            QStringLiteral("is larger than %1 MB").arg(DefaultsStore::maxFileSize >> 20)};
    if (file.error() != QFileDevice::NoError)
        return {FileContents::Kind::unreadable, {}, file.errorString()};
    return parse(bytes);
}

bool entryExists(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// Moves the unusable file aside under the first free ".corrupt" name (the
// link itself when it is one, never what it points at). Returns why that
// failed, or nothing.
std::optional<QString> setAside(const QString &path, const QString &reason)
{
    QString target = DefaultsStore::corruptFilePath(path);
    for (int n = 2; entryExists(target); ++n)
        target = DefaultsStore::corruptFilePath(path) + QLatin1Char('.') + QString::number(n);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        return QStringLiteral("the file %1 and could not be moved aside: %2").arg(reason, osReason(errno));
    qWarning().noquote()
        << QStringLiteral("Quillet: the settings file %1 %2; it was kept as %3").arg(path, reason, target);
    return std::nullopt;
}

// A change that has not reached the disk yet: a value, or a removal.
using Change = std::optional<QJsonValue>;

void apply(QJsonObject &object, const QString &key, const Change &change)
{
    if (change)
        object.insert(key, *change);
    else
        object.remove(key);
}

} // namespace

// What one settings file holds, shared by every store on it in this process.
struct DefaultsStore::File
{
    QString path;
    QJsonObject values; // what Quillet holds: the file as last read or written, with unsaved changes
    QHash<QString, Change> unsaved;
    bool reportedWriteFailure = false;

    static std::shared_ptr<File> forPath(const QString &path);
    void load();
    void change(const QString &key, const Change &change);
    bool write(const QJsonObject &object);
    void reportWriteFailure(const QString &reason);
};

std::shared_ptr<DefaultsStore::File> DefaultsStore::File::forPath(const QString &path)
{
    // Main thread only, as every store.
    static QHash<QString, std::weak_ptr<File>> open;
    const QString key = QFileInfo(path).absoluteFilePath();
    if (std::shared_ptr<File> file = open.value(key).lock())
        return file;
    auto file = std::make_shared<File>();
    file->path = path;
    open.insert(key, file);
    return file;
}

void DefaultsStore::File::load()
{
    FileContents contents = readFile(path);
    switch (contents.kind) {
    case FileContents::Kind::object:
        for (auto it = unsaved.cbegin(); it != unsaved.cend(); ++it)
            apply(contents.object, it.key(), it.value());
        values = contents.object;
        return;
    case FileContents::Kind::absent:
        return;
    case FileContents::Kind::unusable:
        if (const auto failure = setAside(path, contents.reason))
            qWarning().noquote()
                << QStringLiteral("Quillet: could not use the settings file %1: %2").arg(path, *failure);
        return;
    case FileContents::Kind::unreadable:
        qWarning().noquote()
            << QStringLiteral("Quillet: could not read the settings file %1: %2").arg(path, contents.reason);
        return;
    }
}

// Merges into the file as it is now, so that keys another program added
// stay; a file that is gone or unusable is replaced by everything held in
// memory. A file that exists but cannot be read is never replaced: it may
// hold what the user wants kept.
void DefaultsStore::File::change(const QString &key, const Change &change)
{
    apply(values, key, change);
    unsaved.insert(key, change);

    FileContents contents = readFile(path);
    QJsonObject merged = values;
    if (contents.kind == FileContents::Kind::object) {
        merged = contents.object;
        for (auto it = unsaved.cbegin(); it != unsaved.cend(); ++it)
            apply(merged, it.key(), it.value());
    } else if (contents.kind == FileContents::Kind::unreadable) {
        return reportWriteFailure(contents.reason);
    } else if (contents.kind == FileContents::Kind::unusable) {
        if (const auto failure = setAside(path, contents.reason))
            return reportWriteFailure(*failure);
    }
    if (!write(merged))
        return;
    values = merged;
    unsaved.clear();
}

bool DefaultsStore::File::write(const QJsonObject &object)
{
    std::error_code error;
    std::filesystem::create_directories(
        QFile::encodeName(QFileInfo(path).absolutePath()).toStdString(), error);
    if (error) {
        reportWriteFailure(QString::fromLocal8Bit(error.message()));
        return false;
    }
    // The atomic replace would also swap out a file the user made read-only.
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) != 0
        && errno != ENOENT) {
        reportWriteFailure(osReason(errno));
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        reportWriteFailure(file.errorString());
        return false;
    }
    return true;
}

// Once a run: a read-only folder fails every change the same way.
void DefaultsStore::File::reportWriteFailure(const QString &reason)
{
    if (reportedWriteFailure)
        return;
    reportedWriteFailure = true;
    qWarning().noquote() << QStringLiteral("Quillet: could not save settings to %1: %2. Changes stay in "
                                           "effect until Quillet quits.")
                                .arg(path, reason);
}

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

DefaultsStore::DefaultsStore(const QString &filePath)
    : m_file(File::forPath(filePath))
{
    m_file->load();
}

DefaultsStore::~DefaultsStore() = default;

QString DefaultsStore::defaultFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/quillet/defaults.json");
}

QString DefaultsStore::corruptFilePath(const QString &filePath)
{
    return filePath + QStringLiteral(".corrupt");
}

QString DefaultsStore::filePath() const
{
    return m_file->path;
}

bool DefaultsStore::contains(const QString &key) const
{
    return m_file->values.contains(key);
}

QStringList DefaultsStore::keys() const
{
    return m_file->values.keys();
}

QVariant DefaultsStore::object(const QString &key) const
{
    const auto it = m_file->values.constFind(key);
    return it == m_file->values.constEnd() ? QVariant() : it->toVariant();
}

std::optional<QString> DefaultsStore::string(const QString &key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<double> DefaultsStore::number(const QString &key) const
{
    const QVariant value = object(key);
    if (!isNumber(value))
        return std::nullopt;
    return value.toDouble();
}

bool DefaultsStore::boolean(const QString &key) const
{
    const QVariant value = object(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() != 0.0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        return text == QLatin1String("true") || text == QLatin1String("yes") || text.toLongLong() != 0;
    }
    return false;
}

void DefaultsStore::setValue(const QString &key, const QVariant &value)
{
    m_file->change(key, QJsonValue::fromVariant(value));
}

void DefaultsStore::remove(const QString &key)
{
    m_file->change(key, std::nullopt);
}

void DefaultsStore::reload()
{
    m_file->load();
}
