#include "platform/x11/XkbNamedKeymap.h"
#include "platform/x11/XkbKeysymText.h"


#include <xkbcommon/xkbcommon.h>

#include <array>
#include <utility>

namespace {

struct ContextDeleter
{
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};
struct KeymapDeleter
{
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};

// The three letter rows (evdev Q to "]", A to "'", Z to "/"): wherever a
// layout puts its alphabet, it lies in these.
constexpr std::array<std::pair<int, int>, 3> letterRows{{{16, 27}, {30, 40}, {44, 53}}};
constexpr int highestEvdevCode = 247;


} // namespace

struct XkbNamedKeymap::Private
{
    std::unique_ptr<xkb_context, ContextDeleter> context;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap;
    xkb_layout_index_t layout = 0;

    std::vector<xkb_keysym_t> keysyms(int evdevCode, xkb_level_index_t level) const;
    std::optional<xkb_keysym_t> baseKeysym(int evdevCode) const;
    bool isLatin(xkb_layout_index_t candidate);
    void chooseLayout();
};

std::vector<xkb_keysym_t> XkbNamedKeymap::Private::keysyms(int evdevCode, xkb_level_index_t level) const
{
    const auto keycode = xkb_keycode_t(evdevCode + 8);
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap.get(), keycode);
    if (layouts == 0)
        return {};
    const xkb_keysym_t *syms = nullptr;
    // A key with fewer layouts than the keymap wraps around, as XKB does.
    const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), keycode, layout % layouts, level, &syms);
    return count > 0 ? std::vector<xkb_keysym_t>(syms, syms + count) : std::vector<xkb_keysym_t>{};
}

std::optional<xkb_keysym_t> XkbNamedKeymap::Private::baseKeysym(int evdevCode) const
{
    const std::vector<xkb_keysym_t> syms = keysyms(evdevCode, 0);
    if (syms.empty() || syms.front() == XKB_KEY_NoSymbol)
        return std::nullopt;
    return syms.front();
}

// Decided on the whole alphabet, not on a few keys: Dvorak's Q and Z
// positions type punctuation, yet its letters are Latin.
bool XkbNamedKeymap::Private::isLatin(xkb_layout_index_t candidate)
{
    layout = candidate;
    int latin = 0;
    int other = 0;
    for (const auto &[first, last] : letterRows) {
        for (int evdev = first; evdev <= last; ++evdev) {
            const auto keysym = baseKeysym(evdev);
            const char32_t character = keysym ? xkb_keysym_to_utf32(*keysym) : 0;
            if (QChar::isLetter(character))
                ++(QChar::script(character) == QChar::Script_Latin ? latin : other);
        }
    }
    return latin > other;
}

void XkbNamedKeymap::Private::chooseLayout()
{
    const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap.get());
    for (xkb_layout_index_t candidate = 0; candidate < count; ++candidate) {
        if (isLatin(candidate))
            return;
    }
    layout = 0;
}

std::unique_ptr<XkbNamedKeymap> XkbNamedKeymap::compile(const Names &names)
{
    auto d = std::make_unique<Private>();
    d->context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!d->context)
        return nullptr;
    const QByteArray layouts = names.layouts.toUtf8();
    const QByteArray variants = names.variants.toUtf8();
    const QByteArray options = names.options.toUtf8();
    // Empty parts take xkbcommon's defaults (the XKB_DEFAULT_* variables, else "us").
    const xkb_rule_names rules{nullptr, nullptr, layouts.isEmpty() ? nullptr : layouts.constData(),
                               variants.isEmpty() ? nullptr : variants.constData(),
                               options.isEmpty() ? nullptr : options.constData()};
    d->keymap.reset(xkb_keymap_new_from_names(d->context.get(), &rules, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!d->keymap)
        return nullptr;
    d->chooseLayout();
    return std::unique_ptr<XkbNamedKeymap>(new XkbNamedKeymap(std::move(d)));
}

XkbNamedKeymap::XkbNamedKeymap(std::unique_ptr<Private> d)
    : d(std::move(d))
{
}

XkbNamedKeymap::~XkbNamedKeymap() = default;

std::optional<QString> XkbNamedKeymap::characterForKey(int evdevCode) const
{
    const auto keysym = d->baseKeysym(evdevCode);
    return keysym ? xkbKeysymText(*keysym) : std::nullopt;
}

std::optional<QString> XkbNamedKeymap::keysymNameForKey(int evdevCode) const
{
    const auto keysym = d->baseKeysym(evdevCode);
    if (!keysym)
        return std::nullopt;
    char buffer[64] = {};
    if (xkb_keysym_get_name(*keysym, buffer, sizeof buffer) <= 0)
        return std::nullopt;
    return QString::fromUtf8(buffer);
}

std::vector<int> XkbNamedKeymap::keysForKeysymName(const QString &name) const
{
    const QByteArray utf8 = name.toUtf8();
    xkb_keysym_t wanted = xkb_keysym_from_name(utf8.constData(), XKB_KEYSYM_NO_FLAGS);
    if (wanted == XKB_KEY_NoSymbol)
        wanted = xkb_keysym_from_name(utf8.constData(), XKB_KEYSYM_CASE_INSENSITIVE);
    if (wanted == XKB_KEY_NoSymbol)
        return {};
    std::vector<int> keys;
    for (int evdev = 1; evdev <= highestEvdevCode; ++evdev) {
        const auto keycode = xkb_keycode_t(evdev + 8);
        const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(d->keymap.get(), keycode);
        if (layouts == 0)
            continue;
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(d->keymap.get(), keycode, d->layout % layouts);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const std::vector<xkb_keysym_t> syms = d->keysyms(evdev, level);
            if (std::find(syms.begin(), syms.end(), wanted) != syms.end()) {
                keys.push_back(evdev);
                break;
            }
        }
    }
    return keys;
}
