#pragma once

#include "platform/KeyboardLayout.h"
#include "platform/x11/XkbNamedKeymap.h"

#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

class GnomeSettings;

// The user's keyboard on GNOME: the xkb layouts of the input sources in
// GNOME's settings, compiled again whenever the user changes them, and key
// events as Qt's wayland platform codes them.
class GnomeKeyboardLayout : public KeyboardLayout
{
public:
    // Without GNOME's input-source settings the keyboard is xkbcommon's default.
    static std::shared_ptr<GnomeKeyboardLayout> create();
    ~GnomeKeyboardLayout() override;

    std::optional<QString> characterForKey(int evdevCode) override;
    std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers) override;

    // The key's keysym name with no modifiers, as GNOME's accelerators write it.
    std::optional<QString> keysymNameForKey(int evdevCode) const;
    // The keys that type the named keysym at any level.
    std::vector<int> keysForKeysymName(const QString &name) const;

    // The xkb names of GNOME's input sources: ("xkb", "de+nodeadkeys")
    // is layout "de" with variant "nodeadkeys"; input methods are skipped.
    static XkbNamedKeymap::Names namesOfSources(const std::vector<std::pair<QString, QString>> &sources, const QStringList &options);

private:
    GnomeKeyboardLayout();
    void rebuild();

    std::unique_ptr<GnomeSettings> m_settings;
    std::unique_ptr<XkbNamedKeymap> m_keymap;
};
