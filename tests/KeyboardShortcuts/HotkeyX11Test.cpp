#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/x11/X11HotkeyBackend.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The real X11 backends on a private Xvfb, driven by xdotool. A combination
// held by another client is an end-to-end case of the running program.

namespace {

using namespace KeyboardShortcuts;
using TestSupport::waitUntil;

const ModifierFlags commandOptionShift = ModifierFlags::command | ModifierFlags::option | ModifierFlags::shift;

void xdotool(const QStringList &arguments)
{
    ASSERT_TRUE(X11TestSupport::xdotool(arguments)) << arguments.join(' ').toStdString();
}

void setxkbmap(const QStringList &arguments)
{
    int exitCode = -1;
    TestSupport::runProgram(QStringLiteral("setxkbmap"), arguments, &exitCode);
    ASSERT_EQ(exitCode, 0) << arguments.join(' ').toStdString();
}

class HotkeysOnX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store = std::make_shared<DefaultsStore>(dir.path() + QStringLiteral("/defaults.json"));
        resetState({store, X11HotkeyBackend::create(), X11KeyboardLayout::create()});
    }
    void TearDown() override { resetState({store, nullptr, nullptr}); }

    // The four capture names, and a marker whose release proves that every
    // earlier event has been handled.
    void declareNames()
    {
        region = Name(QStringLiteral("captureRegion"), Shortcut(Key::four, commandOptionShift));
        scroll = Name(QStringLiteral("captureScroll"), Shortcut(Key::five, commandOptionShift));
        Name(QStringLiteral("captureFullscreen"), Shortcut(Key::three, commandOptionShift));
        Name(QStringLiteral("captureWindow"), Shortcut(Key::six, commandOptionShift));
        marker = Name(QStringLiteral("marker"), Shortcut(Key::m, ModifierFlags::control | ModifierFlags::option));
        onKeyDown(region, [this] { ++regionDowns; });
        onKeyUp(region, [this] { ++regionUps; });
        onKeyUp(marker, [this] { ++markers; });
    }
    void sync()
    {
        const int expected = markers + 1;
        xdotool({"key", "ctrl+alt+m"});
        ASSERT_TRUE(waitUntil([&] { return markers == expected; }));
    }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store;
    Name region, scroll, marker;
    int regionDowns = 0, regionUps = 0, markers = 0;
};

TEST_F(HotkeysOnX11, ReleaseRunsTheKeyUpHandlerOnce)
{
    declareNames();
    xdotool({"keydown", "super+alt+shift+4"});
    ASSERT_TRUE(waitUntil([&] { return regionDowns >= 1; }));
    EXPECT_EQ(regionUps, 0);
    xdotool({"keyup", "super+alt+shift+4"});
    ASSERT_TRUE(waitUntil([&] { return regionUps == 1; }));
    sync();
    EXPECT_EQ(regionUps, 1);
}

TEST_F(HotkeysOnX11, HeldUntilItRepeatsItStillRunsOnce)
{
    declareNames();
    xdotool({"keydown", "super+alt+shift+4"});
    ASSERT_TRUE(waitUntil([&] { return regionDowns >= 3; })) << "no auto-repeat presses arrived";
    EXPECT_EQ(regionUps, 0);
    xdotool({"keyup", "super+alt+shift+4"});
    sync();
    EXPECT_EQ(regionUps, 1);
}

TEST_F(HotkeysOnX11, LockKeysDoNotMatter)
{
    declareNames();
    for (const char *lock : {"Caps_Lock", "Num_Lock"}) {
        SCOPED_TRACE(lock);
        xdotool({"key", lock}); // on
        const int before = regionUps;
        xdotool({"key", "super+alt+shift+4"});
        EXPECT_TRUE(waitUntil([&] { return regionUps == before + 1; }));
        xdotool({"key", lock}); // off again
    }
}

TEST_F(HotkeysOnX11, CharactersFollowTheAsciiCapableLayout)
{
    const struct {
        QStringList layout;
        Key key;
        const char *character;
    } cases[] = {
        {{"us"}, Key::q, "q"},
        {{"fr"}, Key::q, "a"},        // the ANSI Q position types "a" on AZERTY
        {{"fr"}, Key::leftBracket, "^"}, // a dead key shows its accent
        {{"ru,us"}, Key::a, "a"},     // Russian active: the Latin group speaks
        {{"us"}, Key::a, "a"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.layout.join(',').toStdString() + " " + c.character);
        setxkbmap({"-layout", c.layout.join(',')});
        // Changed while we run: the layout follows without a restart.
        EXPECT_TRUE(waitUntil([&] { return characterForKeyCode(c.key.rawValue) == QString::fromUtf8(c.character); }))
            << characterForKeyCode(c.key.rawValue).value_or(QStringLiteral("(none)")).toStdString();
    }
    setxkbmap({"-layout", "ru,us"});
    EXPECT_TRUE(waitUntil([] { return Shortcut(Key::a, ModifierFlags::command).description() == QStringLiteral("⌘A"); }));
    setxkbmap({"-layout", "us"});
}

} // namespace
