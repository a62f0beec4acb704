#include "platform/wayland/GnomeKeyboardLayout.h"

#include "platform/wayland/GnomeSettings.h"

#include <algorithm>

namespace {

// Qt's wayland platform hands over the compositor's xkb key code (evdev
// code + 8) and the xkb modifier mask, in which every keymap puts the real
// modifiers in X's order: Shift, Lock, Control, Mod1 (Alt) ... Mod4 (Super).
// The virtual modifiers some compositors add above them carry nothing new.
constexpr quint32 shiftMask = 1u << 0;
constexpr quint32 controlMask = 1u << 2;
constexpr quint32 altMask = 1u << 3;
constexpr quint32 superMask = 1u << 6;
constexpr quint32 evdevOffset = 8;
constexpr quint32 highestKeyCode = 255;

const QString inputSources = QStringLiteral("org.gnome.desktop.input-sources");

} // namespace

std::shared_ptr<GnomeKeyboardLayout> GnomeKeyboardLayout::create()
{
    auto layout = std::shared_ptr<GnomeKeyboardLayout>(new GnomeKeyboardLayout);
    layout->m_settings = GnomeSettings::open(inputSources);
    layout->rebuild();
    if (layout->m_settings) {
        GnomeKeyboardLayout *raw = layout.get();
        layout->m_settings->onChanged([raw] { raw->rebuild(); });
    }
    return layout;
}

GnomeKeyboardLayout::GnomeKeyboardLayout() = default;
GnomeKeyboardLayout::~GnomeKeyboardLayout() = default;

XkbNamedKeymap::Names GnomeKeyboardLayout::namesOfSources(
    const std::vector<std::pair<QString, QString>> &sources, const QStringList &options)
{
    QStringList layouts;
    QStringList variants;
    for (const auto &[kind, id] : sources) {
        if (kind != QLatin1String("xkb") || id.isEmpty())
            continue;
        layouts << id.section(u'+', 0, 0);
        variants << id.section(u'+', 1);
    }
    const bool anyVariant = std::any_of(variants.begin(), variants.end(), [](const QString &v) { return !v.isEmpty(); });
    return {layouts.join(u','), anyVariant ? variants.join(u',') : QString(), options.join(u',')};
}

void GnomeKeyboardLayout::rebuild()
{
    XkbNamedKeymap::Names names;
    if (m_settings) {
        using Sources = std::vector<std::pair<QString, QString>>;
        names = namesOfSources(m_settings->stringPairs(QStringLiteral("sources")).value_or(Sources{}),
                               m_settings->strings(QStringLiteral("xkb-options")).value_or(QStringList{}));
    }
    auto keymap = XkbNamedKeymap::compile(names);
    // Names xkbcommon cannot compile (a layout removed since) leave the
    // default layout rather than none.
    if (!keymap)
        keymap = XkbNamedKeymap::compile({});
    if (keymap)
        m_keymap = std::move(keymap);
}

std::optional<QString> GnomeKeyboardLayout::characterForKey(int evdevCode)
{
    return m_keymap ? m_keymap->characterForKey(evdevCode) : std::nullopt;
}

std::optional<PhysicalKeyEvent> GnomeKeyboardLayout::decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers)
{
    if (nativeScanCode < evdevOffset || nativeScanCode > highestKeyCode)
        return std::nullopt;
    const auto has = [nativeModifiers](quint32 mask) { return (nativeModifiers & mask) != 0; };
    return PhysicalKeyEvent{int(nativeScanCode - evdevOffset),
                            KeyModifiers{has(shiftMask), has(controlMask), has(altMask), has(superMask)}};
}

std::optional<QString> GnomeKeyboardLayout::keysymNameForKey(int evdevCode) const
{
    return m_keymap ? m_keymap->keysymNameForKey(evdevCode) : std::nullopt;
}

std::vector<int> GnomeKeyboardLayout::keysForKeysymName(const QString &name) const
{
    return m_keymap ? m_keymap->keysForKeysymName(name) : std::vector<int>{};
}
