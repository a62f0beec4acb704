#include "platform/wayland/GnomeKeybindingStore.h"

#include "platform/wayland/GnomeSettings.h"

#include <map>

namespace {

const QString mediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString customSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
const QString customList = QStringLiteral("custom-keybindings");

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

    std::optional<QStringList> customPaths() override { return m_mediaKeys->strings(customList); }
    bool setCustomPaths(const QStringList &paths) override { return m_mediaKeys->setStrings(customList, paths); }

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

private:
    GnomeSettings *at(const QString &path)
    {
        auto found = m_custom.find(path);
        if (found == m_custom.end())
            found = m_custom.emplace(path, GnomeSettings::open(customSchema, path)).first;
        return found->second.get();
    }

    std::unique_ptr<GnomeSettings> m_mediaKeys;
    std::map<QString, std::unique_ptr<GnomeSettings>> m_custom;
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
