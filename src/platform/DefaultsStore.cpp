#include "platform/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

#include <mutex>

namespace {

bool readJson(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty())
        return true; // an empty file is an empty store
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // Only the kinds the store writes; nested values are not ours.
        if (it->isString() || it->isDouble() || it->isBool())
            map.insert(it.key(), it->toVariant());
    }
    return true;
}

bool writeJson(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it)
        object.insert(it.key(), QJsonValue::fromVariant(it.value()));
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return device.write(bytes) == bytes.size();
}

QSettings::Format jsonFormat()
{
    static QSettings::Format format = QSettings::InvalidFormat;
    static std::once_flag once;
    std::call_once(once, [] { format = QSettings::registerFormat("json", readJson, writeJson); });
    return format;
}

bool isValidStoreFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // absent or unreadable: nothing to set aside
    QSettings::SettingsMap ignored;
    return readJson(file, ignored);
}

void setAsideIfCorrupt(const QString &path)
{
    if (!QFileInfo::exists(path) || isValidStoreFile(path))
        return;
    QString target = DefaultsStore::corruptFilePath(path);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = DefaultsStore::corruptFilePath(path) + QLatin1Char('.') + QString::number(n);
    QFile::rename(path, target);
}

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
    : m_filePath(filePath)
{
    setAsideIfCorrupt(m_filePath);
    m_settings = std::make_unique<QSettings>(m_filePath, jsonFormat());
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

bool DefaultsStore::contains(const QString &key) const
{
    return m_settings->contains(key);
}

QStringList DefaultsStore::keys() const
{
    return m_settings->allKeys();
}

QVariant DefaultsStore::object(const QString &key) const
{
    return m_settings->value(key);
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
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    m_settings->setValue(key, value);
    m_settings->sync();
}

void DefaultsStore::remove(const QString &key)
{
    m_settings->remove(key);
    m_settings->sync();
}

void DefaultsStore::reload()
{
    m_settings->sync();
}
