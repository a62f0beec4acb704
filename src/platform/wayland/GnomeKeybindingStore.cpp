#include "platform/wayland/GnomeKeybindingStore.h"

#include "platform/wayland/GnomeSettings.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <map>

namespace {

const QString mediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString customSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
const QString customList = QStringLiteral("custom-keybindings");
// How long a confirmed write may take to reach the database file.
constexpr int ProbeWaitMs = 3000;

// A path of Quillet's that is never in the list: GNOME does not look at it.
const QString probePath = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillet-probe/");

// Where the desktop keeps its own bindings.
const QStringList systemSchemas{
    QStringLiteral("org.gnome.desktop.wm.keybindings"),
    QStringLiteral("org.gnome.shell.keybindings"),
    QStringLiteral("org.gnome.mutter.keybindings"),
    QStringLiteral("org.gnome.mutter.wayland.keybindings"),
    mediaKeys,
};

class GSettingsKeybindingStore : public GnomeKeybindingStore
{
public:
    explicit GSettingsKeybindingStore(std::unique_ptr<GnomeSettings> mediaKeys)
        : m_mediaKeys(std::move(mediaKeys))
    {
    }

    std::optional<QStringList> customPaths() override
    {
        if (!readsWhatItWrites())
            return std::nullopt;
        return m_mediaKeys->strings(customList);
    }
    bool setCustomPaths(const QStringList &paths) override
    {
        return readsWhatItWrites() && m_mediaKeys->setStrings(customList, paths);
    }

    std::optional<Custom> custom(const QString &path) override
    {
        GnomeSettings *settings = at(path);
        if (!settings)
            return std::nullopt;
        const auto text = [settings](const QString &key) {
            return settings->strings(key).value_or(QStringList{}).value(0);
        };
        return Custom{text(QStringLiteral("name")), text(QStringLiteral("command")), text(QStringLiteral("binding"))};
    }

    bool setCustom(const QString &path, const Custom &binding) override
    {
        GnomeSettings *settings = at(path);
        return settings && settings->setString(QStringLiteral("name"), binding.name)
            && settings->setString(QStringLiteral("command"), binding.command)
            && settings->setString(QStringLiteral("binding"), binding.binding);
    }

    void resetCustom(const QString &path) override
    {
        if (GnomeSettings *settings = at(path)) {
            for (const char *key : {"name", "command", "binding"})
                settings->reset(QString::fromLatin1(key));
        }
    }

    QStringList systemAccelerators() override
    {
        QStringList accelerators;
        for (const QString &schema : systemSchemas) {
            const std::unique_ptr<GnomeSettings> settings = GnomeSettings::open(schema);
            if (!settings)
                continue;
            for (const QString &key : settings->keys()) {
                if (key != customList)
                    accelerators << settings->strings(key).value_or(QStringList{});
            }
        }
        return accelerators;
    }

    void sync() override { GnomeSettings::sync(); }

    QString unreadableReason() const override
    {
        return m_readsWhatItWrites == false
            ? QStringLiteral("GNOME's settings service keeps its settings elsewhere than this process reads them "
                             "(was Quillet started with another XDG_CONFIG_HOME than the desktop?), so the list "
                             "of custom keyboard shortcuts read here may not be yours and is not rewritten")
            : QString();
    }

private:
    // dconf reads from the database under this process's XDG_CONFIG_HOME
    // but writes through the session's service into the service's own.
    // Where the two differ, the list read here is not the user's, and
    // writing it back would wipe theirs. A value of Quillet's own written,
    // confirmed and read back tells; asked once.
    bool readsWhatItWrites()
    {
        if (!m_readsWhatItWrites)
            m_readsWhatItWrites = probe();
        return *m_readsWhatItWrites;
    }

    bool probe()
    {
        GnomeSettings *settings = at(probePath);
        const QString name = QStringLiteral("name");
        const QString token = QString::number(QRandomGenerator::global()->generate64(), 36);
        if (!settings || !settings->setString(name, token))
            return false;
        // Returns once the service has confirmed the write; reads then come
        // from the database again, not from the writes on their way. The
        // service puts a confirmed write into the database file in its own
        // time (on a busy machine, well after): only a value that never
        // arrives tells of another database.
        GnomeSettings::sync();
        QElapsedTimer waited;
        waited.start();
        bool same = false;
        while (!(same = settings->strings(name).value_or(QStringList{}).value(0) == token)
            && waited.elapsed() < ProbeWaitMs)
            QThread::msleep(20);
        settings->reset(name);
        GnomeSettings::sync();
        return same;
    }

    GnomeSettings *at(const QString &path)
    {
        auto found = m_custom.find(path);
        if (found == m_custom.end())
            found = m_custom.emplace(path, GnomeSettings::open(customSchema, path)).first;
        return found->second.get();
    }

    std::unique_ptr<GnomeSettings> m_mediaKeys;
    std::map<QString, std::unique_ptr<GnomeSettings>> m_custom;
    std::optional<bool> m_readsWhatItWrites;
};

} // namespace

std::unique_ptr<GnomeKeybindingStore> makeGSettingsKeybindingStore()
{
    if (!GnomeSettings::isPersistent())
        return nullptr;
    std::unique_ptr<GnomeSettings> settings = GnomeSettings::open(mediaKeys);
    if (!settings || !GnomeSettings::open(customSchema, QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/probe/")))
        return nullptr;
    return std::make_unique<GSettingsKeybindingStore>(std::move(settings));
}
