#include "platform/wayland/GnomeKeyboardLayout.h"
#include "platform/x11/XkbNamedKeymap.h"

#include <gtest/gtest.h>

bool operator==(const PhysicalKeyEvent &a, const PhysicalKeyEvent &b)
{
    return a.evdevCode == b.evdevCode && a.modifiers == b.modifiers;
}

namespace {

using Sources = std::vector<std::pair<QString, QString>>;

TEST(GnomeKeyboardLayout, InputSourcesBecomeXkbNames)
{
    struct Case
    {
        Sources sources;
        QStringList options;
        QString layouts, variants, optionText;
    };
    const Case cases[] = {
        {{}, {}, "", "", ""},
        {{{"xkb", "us"}}, {}, "us", "", ""},
        {{{"xkb", "de+nodeadkeys"}, {"ibus", "anthy"}, {"xkb", "ru"}}, {"caps:ctrl_modifier", "compose:ralt"},
         "de,ru", "nodeadkeys,", "caps:ctrl_modifier,compose:ralt"},
    };
    for (const Case &c : cases) {
        const XkbNamedKeymap::Names names = GnomeKeyboardLayout::namesOfSources(c.sources, c.options);
        EXPECT_EQ((QStringList{names.layouts, names.variants, names.options}),
                  (QStringList{c.layouts, c.variants, c.optionText}));
    }
}

// The codes Qt's wayland platform gave for keys injected into GNOME Shell 43.
TEST(GnomeKeyboardLayout, DecodesQtsWaylandKeyEvents)
{
    struct Case
    {
        quint32 scanCode, modifiers;
        std::optional<PhysicalKeyEvent> decoded;
    };
    const Case cases[] = {
        {38, 0x0, PhysicalKeyEvent{30, {}}},
        {38, 0x1, PhysicalKeyEvent{30, {true, false, false, false}}},
        {56, 0x4000c, PhysicalKeyEvent{48, {false, true, true, false}}},
        {54, 0x80040, PhysicalKeyEvent{46, {false, false, false, true}}},
        {13, 0xc0049, PhysicalKeyEvent{5, {true, false, true, true}}},
        {38, 0x10, PhysicalKeyEvent{30, {}}}, // Num Lock is no shortcut modifier
        {0, 0x1, std::nullopt},
    };
    const std::shared_ptr<GnomeKeyboardLayout> layout = GnomeKeyboardLayout::create();
    for (const Case &c : cases)
        EXPECT_EQ(layout->decodeKeyEvent(c.scanCode, c.modifiers), c.decoded) << c.scanCode << " " << c.modifiers;
}

TEST(XkbNamedKeymap, NamesKeysFromTheFirstLatinLayout)
{
    const auto keymap = XkbNamedKeymap::compile({"ru,de", "", ""});
    ASSERT_TRUE(keymap);
    EXPECT_EQ(keymap->characterForKey(21), "z"); // German Z sits where US Y does
    EXPECT_EQ(keymap->characterForKey(13), QString(u'\u00B4')); // dead acute, shown spacing
    EXPECT_EQ(keymap->keysymNameForKey(5), "4");
    EXPECT_EQ(keymap->keysymNameForKey(99), "Print");
    EXPECT_EQ(keymap->characterForKey(1), std::nullopt); // Escape prints nothing
    EXPECT_EQ(keymap->keysForKeysymName("dollar"), std::vector<int>{5});
    EXPECT_EQ(keymap->keysForKeysymName("Z"), std::vector<int>{21});
    EXPECT_TRUE(keymap->keysForKeysymName("no such keysym").empty());
    EXPECT_FALSE(XkbNamedKeymap::compile({"no-such-layout", "", ""}));
}

} // namespace
