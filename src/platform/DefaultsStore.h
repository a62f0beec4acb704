#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

// The per-user defaults store: one flat JSON object of string, number and
// boolean values in $XDG_CONFIG_HOME/quillet/defaults.json.
//
// Every write reaches the disk before the call returns, through an atomic
// replace. Several stores on the same file may live in one process (the
// settings and the shortcut storage): each write merges into what is on disk,
// so no writer loses another's keys.
class DefaultsStore
{
public:
    explicit DefaultsStore(const QString &filePath = defaultFilePath());
    ~DefaultsStore();
    DefaultsStore(const DefaultsStore &) = delete;
    DefaultsStore &operator=(const DefaultsStore &) = delete;

    static QString defaultFilePath();
    // Where an unreadable file is moved so that it is neither lost nor overwritten.
    static QString corruptFilePath(const QString &filePath);

    QString filePath() const { return m_filePath; }

    bool contains(const QString &key) const;
    // Every key the store holds.
    QStringList keys() const;
    // The stored value, or an invalid QVariant when the key is absent.
    QVariant object(const QString &key) const;
    // The stored text; nothing when absent or not text.
    std::optional<QString> string(const QString &key) const;
    // The stored number; nothing when absent or not a number.
    std::optional<double> number(const QString &key) const;
    // A boolean lookup in the defaults-store manner: false when absent;
    // numbers are true when non-zero; the texts "true", "yes" and non-zero
    // integers are true.
    bool boolean(const QString &key) const;

    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);

    // Reads what other processes wrote since the last access.
    void reload();

private:
    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
};
