#include "KeyboardShortcuts/PhysicalKeys.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "ShortcutsTestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

using namespace KeyboardShortcuts;

TEST(ShortcutConversions, OnlyTheFiveKnownBitsSurvive)
{
    // An alphaLock-like bit, the low bit, command-option-shift, control and function with junk.
    const std::pair<qint64, qint64> cases[] = {
        {0x400, 0}, {0x1, 0}, {0x100 | 0x800 | 0x200, 2816}, {0x1000 | 0x20000 | 0x40 | 0x400000, 0x21000}};
    for (const auto &[carbon, normalised] : cases)
        EXPECT_EQ(Shortcut::fromCarbon(Key::a.rawValue, carbon).carbonModifiers, normalised) << carbon;
    // Flags without a Carbon bit are dropped on the way in.
    const ModifierFlags noisy = ModifierFlags::capsLock | ModifierFlags::numericPad | ModifierFlags::help
        | ModifierFlags::control | ModifierFlags{0x8};
    EXPECT_EQ(std::pair(toCarbon(noisy), fromCarbon(0x1 | CarbonModifier::cmdKey)),
        std::pair(qint64(CarbonModifier::controlKey), ModifierFlags::command));
}

TEST(ShortcutJson, DecodesEitherOrderAndKeepsWhatWasStored)
{
    EXPECT_EQ(
        Shortcut(Key::four, commandOptionShift).toJson(), R"({"carbonKeyCode":21,"carbonModifiers":2816})");
    const auto reversed = Shortcut::fromJson(R"({"carbonModifiers":2817,"carbonKeyCode":21})");
    ASSERT_TRUE(reversed);
    EXPECT_EQ(
        std::pair(reversed->carbonKeyCode, reversed->carbonModifiers), std::pair(21ll, 2817ll)); // as stored
    for (const char *bad : {"", "[]", "\"text\"", "{}", R"({"carbonKeyCode":21})",
             R"({"carbonKeyCode":"21","carbonModifiers":0})", R"({"carbonKeyCode":21.5,"carbonModifiers":0})",
             "0"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Shortcut::fromJson(bad));
    }
}

using ShortcutText = ShortcutsTest;

TEST_F(ShortcutText, ModifierWordsInOneOrderThenTheKeysName)
{
    const ModifierFlags all = ModifierFlags::function | ModifierFlags::command | ModifierFlags::option
        | ModifierFlags::control | ModifierFlags::shift;
    const std::pair<Shortcut, const char *> cases[] = {
        {Shortcut(Key::four, commandOptionShift), "Shift+Alt+Super+4"},
        {Shortcut(Key::a, ModifierFlags::control), "Ctrl+A"},
        {Shortcut(Key::a, all), "Shift+Ctrl+Alt+Super+Fn+A"},
        {Shortcut(Key::k, ModifierFlags::command | ModifierFlags::control), "Ctrl+Super+K"},
        {Shortcut::fromJson(R"({"carbonKeyCode":0,"carbonModifiers":1})").value(), "A"}, // no X11 modifier
        // Keys that print nothing go by their Linux names, whatever the layout gives.
        {Shortcut(Key::f5, ModifierFlags::command), "Super+F5"},
        {Shortcut(Key::space, ModifierFlags::option), "Alt+Space"},
        {Shortcut(Key::returnKey, ModifierFlags::shift), "Shift+Return"}, // not the layout's "\r"
        {Shortcut(Key::escape), "Escape"},
        {Shortcut(Key::leftArrow, ModifierFlags::control), "Ctrl+Left"},
        {Shortcut(Key::pageDown), "Page Down"},
        {Shortcut(Key::deleteKey), "Backspace"},
        {Shortcut(Key::keypadEnter), "Keypad Enter"},
        {Shortcut(Key::keypad7), "Keypad 7"},
        {Shortcut(Key::volumeUp), "Volume Up"},
        // The PC key in the Mac key's place names it: that is the key a PC user pressed.
        {Shortcut(Key::f13), "Print"},
        {Shortcut(Key::help), "Insert"},
        {Shortcut(Key::keypadClear), "Num Lock"},
        // The layout's character, capitalized as one character.
        {Shortcut(Key::quote), "'"},
        {Shortcut(Key::minus, ModifierFlags::command), "Super+ß"}, // not "SS", which reads as two keys
        {Shortcut::fromCarbon(70000, 0), "\uFFFD"},
    };
    for (const auto &[shortcut, text] : cases)
        EXPECT_EQ(shortcut.description(), QString::fromUtf8(text)) << text;
}

// Where the layout gives nothing readable, the key is named by its place on
// a US keyboard: braille layouts give nothing for letters and digits,
// Ethiopic ones give presentation-form placeholders.
TEST_F(ShortcutText, KeysWithoutAReadableCharacterAreNamedByTheirUsPlace)
{
    const std::pair<int, QString> cases[] = {
        {30, QString()}, // a: nothing at all
        {5, QStringLiteral("\uFE69")}, // 4: small dollar sign
        {18, QStringLiteral("\uFE67")}, // e: unassigned, among the small forms
        {22, QStringLiteral("\uFE71")}, // u: Arabic presentation form
        {16, QStringLiteral("\u0301")}, // q: a combining accent alone
        {37, QStringLiteral("\u00A0")}, // k: a space that shows nothing
        {12, QStringLiteral("\uE000")}, // minus: private use
        {41, QStringLiteral("\u00B4")}, // backtick: a spacing accent is readable
    };
    layout->characters.clear();
    for (const auto &[evdev, character] : cases) {
        if (!character.isNull())
            layout->characters.insert(evdev, character);
    }
    const std::pair<Key, const char *> expected[] = {
        {Key::a, "A"}, {Key::four, "4"}, {Key::e, "E"}, {Key::u, "U"}, {Key::q, "Q"}, {Key::k, "K"},
        {Key::minus, "-"}, {Key::backtick, "\u00B4"}, {Key::z, "Z"}, {Key{10}, "<"}};
    for (const auto &[key, text] : expected)
        EXPECT_EQ(Shortcut(key, ModifierFlags::control).description(),
            QStringLiteral("Ctrl+") + QString::fromUtf8(text))
            << text;
    EXPECT_FALSE(characterForKeyCode(Key::e.rawValue)); // nor does it match a menu item's "e"
}

// A typo in the key table would send a shortcut to the wrong physical key.
TEST(PhysicalKeys, EveryMappedKeyCodeRoundTrips)
{
    int mapped = 0;
    for (qint64 keyCode = 0; keyCode < 128; ++keyCode) {
        const std::vector<int> codes = evdevCodesForKeyCode(keyCode);
        if (codes.empty())
            continue;
        ++mapped;
        for (const int evdev : codes) {
            SCOPED_TRACE(keyCode);
            EXPECT_EQ(keyCodeForEvdevCode(evdev), keyCode);
        }
    }
    EXPECT_EQ(mapped, 113 + 2); // the constants plus the ISO key and Menu
    EXPECT_EQ(std::pair(evdevCodesForKeyCode(Key::four.rawValue), evdevCodesForKeyCode(Key::help.rawValue)),
        std::pair(std::vector<int>{5}, std::vector<int>{138, 110}));
    // Print Screen stands in for F13.
    EXPECT_EQ(std::pair(keyCodeForEvdevCode(99), keyCodeForEvdevCode(240)),
        std::pair(std::optional(Key::f13.rawValue), std::optional<qint64>()));
}

using ShortcutFromEvent = ShortcutsTest;

TEST_F(ShortcutFromEvent, KeyPressAndReleaseGiveTheSameShortcut)
{
    const quint32 scanCodeOf4 = 5 + 8;
    const quint32 state = FakeKeyboardLayout::superMask | FakeKeyboardLayout::altMask
        | FakeKeyboardLayout::shiftMask | FakeKeyboardLayout::lockMask;
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        const QKeyEvent event(type, Qt::Key_4, Qt::NoModifier, scanCodeOf4, 0, state);
        EXPECT_EQ(Shortcut::fromEvent(&event), region);
    }
    const QMouseEvent mouse(
        QEvent::MouseButtonPress, QPointF(), QPointF(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    const QKeyEvent shortcutOverride(QEvent::ShortcutOverride, Qt::Key_4, Qt::NoModifier, scanCodeOf4, 0, 0);
    const QKeyEvent unknownKey(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 240 + 8, 0, 0);
    for (const QEvent *event : std::initializer_list<const QEvent *>{&mouse, &shortcutOverride, &unknownKey})
        EXPECT_FALSE(Shortcut::fromEvent(event)) << event->type();
}

} // namespace
