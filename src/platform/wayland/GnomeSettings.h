#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// One GSettings object of the desktop's settings, through GLib's gio: what
// GNOME keeps its key bindings and input sources in. Main thread only.
class GnomeSettings
{
public:
    // None when the schema is not installed. `path` places a relocatable schema.
    static std::unique_ptr<GnomeSettings> open(const QString &schema, const QString &path = {});
    // Whether gio writes settings anywhere lasting (dconf), not into memory.
    static bool isPersistent();
    ~GnomeSettings();
    GnomeSettings(const GnomeSettings &) = delete;
    GnomeSettings &operator=(const GnomeSettings &) = delete;

    QStringList keys() const;
    // Strings of a key typed "as", or the one string of a key typed "s";
    // none for a missing key or another type.
    std::optional<QStringList> strings(const QString &key) const;
    // Pairs of a key typed "a(ss)", such as the input sources.
    std::optional<std::vector<std::pair<QString, QString>>> stringPairs(const QString &key) const;
    // Writes a key typed "as" or "s" (one string); false when gio refuses.
    bool setStrings(const QString &key, const QStringList &value);
    bool setString(const QString &key, const QString &value);
    void reset(const QString &key);
    // Called on the main thread after any of the keys changed.
    void onChanged(std::function<void()> callback);
    // Hands the writes made so far to the settings service.
    static void sync();

private:
    struct Private;
    explicit GnomeSettings(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};
