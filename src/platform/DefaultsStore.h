#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// The per-user defaults store: one JSON object in
// $XDG_CONFIG_HOME/quillet/defaults.json. Quillet writes string, number and
// boolean members; members of any other kind, written by the user or by
// another version, are kept as they are.
//
// Every write reaches the disk before the call returns, through an atomic
// replace, and merges into what is on disk, so that a key another program
// added is kept. Stores on the same file in one process (the settings and the
// shortcut storage) share one copy of the values.
//
// Nothing the user set is lost to a bad file: a file that cannot be used (not
// JSON, not a regular file, absurdly large) is moved aside byte for byte
// before anything replaces it, and the next write carries every value held
// in memory. A write that cannot reach the disk keeps the value in memory,
// is tried again with the next write, and is reported once on standard error.
class DefaultsStore
{
public:
    // Far above any real settings file; a larger file is set aside unread.
    static constexpr qint64 maxFileSize = qint64(16) << 20;

    explicit DefaultsStore(const QString &filePath = defaultFilePath());
    ~DefaultsStore();
    DefaultsStore(const DefaultsStore &) = delete;
    DefaultsStore &operator=(const DefaultsStore &) = delete;

    static QString defaultFilePath();
    // Where an unusable file is moved so that it is neither lost nor
    // overwritten; later ones get ".2", ".3", … after it.
    static QString corruptFilePath(const QString &filePath);

    QString filePath() const;

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
    struct File;
    std::shared_ptr<File> m_file;
};
