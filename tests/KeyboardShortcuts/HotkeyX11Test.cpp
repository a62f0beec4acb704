#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/RecorderCocoa.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/x11/X11HotkeyBackend.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "support/AlertAnswerer.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// The real X11 backends on a private Xvfb under openbox, driven by xdotool.
// A combination held by another client, a held key and a combination typed
// into the settings window are end-to-end cases of the running program.

namespace {

using namespace KeyboardShortcuts;
using TestSupport::waitUntil;

const ModifierFlags commandOptionShift
    = ModifierFlags::command | ModifierFlags::option | ModifierFlags::shift;

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

const KeyModifiers superAltShift{true, false, true, true};

// The library over the real backends, started afresh before a fixture's
// names are made.
struct LibraryOnX11
{
    LibraryOnX11()
    {
        resetState({store, X11HotkeyBackend::create(), layout, [this] { ++beeps; }});
    }
    ~LibraryOnX11() { resetState({store, nullptr, nullptr}); }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store = std::make_shared<DefaultsStore>(dir.filePath("defaults.json"));
    std::shared_ptr<X11KeyboardLayout> layout = X11KeyboardLayout::create();
    int beeps = 0;
};

TEST(HotkeyBackendOnX11, ProbingFindsOtherClientsGrabsAndLeavesOursAlone)
{
    const auto ours = X11HotkeyBackend::create();
    const auto theirs = X11HotkeyBackend::create();
    ASSERT_TRUE(ours && theirs);
    const std::vector<int> f2{60}, f3{61};
    ASSERT_EQ(theirs->grab(1, f2, superAltShift), HotkeyBackend::Result::grabbed);
    EXPECT_TRUE(ours->isTakenByOthers(f2, superAltShift));
    EXPECT_FALSE(ours->isTakenByOthers(f2, KeyModifiers{true, true, false, false}));
    ASSERT_EQ(ours->grab(2, f3, superAltShift), HotkeyBackend::Result::grabbed);
    EXPECT_FALSE(ours->isTakenByOthers(f3, superAltShift));
    // Still ours after the probe, and a free combination is released again.
    EXPECT_EQ(theirs->grab(3, f3, superAltShift), HotkeyBackend::Result::taken);
    ours->ungrab(2);
    ours->isTakenByOthers(f2, superAltShift); // a round trip: the release is done
    EXPECT_FALSE(theirs->isTakenByOthers(f3, superAltShift));
    EXPECT_EQ(ours->grab(4, f3, superAltShift), HotkeyBackend::Result::grabbed);
}

class HotkeysOnX11 : public ::testing::Test, protected LibraryOnX11
{
protected:
    // The four capture names, and a marker whose release proves that every
    // earlier event has been handled.
    void declareNames()
    {
        region = Name(QStringLiteral("captureRegion"), Shortcut(Key::four, commandOptionShift));
        Name(QStringLiteral("captureScroll"), Shortcut(Key::five, commandOptionShift));
        Name(QStringLiteral("captureFullscreen"), Shortcut(Key::three, commandOptionShift));
        Name(QStringLiteral("captureWindow"), Shortcut(Key::six, commandOptionShift));
        marker = Name(
            QStringLiteral("marker"), Shortcut(Key::m, ModifierFlags::control | ModifierFlags::option));
        onKeyUp(region, [this] { ++regionUps; });
        onKeyUp(marker, [this] { ++markers; });
    }
    void sync()
    {
        const int expected = markers + 1;
        xdotool({"key", "ctrl+alt+m"});
        ASSERT_TRUE(waitUntil([&] { return markers == expected; }));
    }

    Name region, marker;
    int regionUps = 0, markers = 0;
};

TEST_F(HotkeysOnX11, LockKeysDoNotMatterWhereverTheyAreMapped)
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
    // NumLock moves to another modifier bit while we run.
    TestSupport::runProgram(QStringLiteral("xmodmap"), {"-e", "clear mod2", "-e", "add mod3 = Num_Lock"});
    sync(); // the mapping change reached us before the marker did
    xdotool({"key", "Num_Lock"});
    xdotool({"key", "super+alt+shift+4"});
    EXPECT_TRUE(waitUntil([&] { return regionUps == 3; }));
    xdotool({"key", "Num_Lock"});
    setxkbmap({"-layout", "us"}); // the usual modifier map again
}

TEST_F(HotkeysOnX11, NamesDifferingOnlyInABitX11LacksShareTheGrab)
{
    declareNames();
    // 0x1 has no X11 modifier: this name comes down to region's X combination.
    const Name twin(
        QStringLiteral("twin"), Shortcut::fromJson(R"({"carbonKeyCode":21,"carbonModifiers":2817})"));
    int twinUps = 0;
    onKeyUp(twin, [&] { ++twinUps; });
    xdotool({"key", "super+alt+shift+4"});
    EXPECT_TRUE(waitUntil([&] { return regionUps == 1 && twinUps == 1; }));
    region.setShortcut(std::nullopt);
    EXPECT_TRUE(isShortcutRegistered(twin));
    xdotool({"key", "super+alt+shift+4"});
    EXPECT_TRUE(waitUntil([&] { return twinUps == 2; }));
}

// What a shortcut reads as follows the ASCII-capable layout: the key's
// character there, or its US place where the layout gives nothing readable.
TEST_F(HotkeysOnX11, NamesFollowTheAsciiCapableLayout)
{
    const Shortcut fourKeys(Key::four, commandOptionShift);
    const auto ctrl = [](Key key) { return Shortcut(key, ModifierFlags::control); };
    const struct
    {
        QStringList layout; // setxkbmap arguments
        Shortcut shortcut;
        const char *text;
    } cases[] = {
        {{"-layout", "us"}, fourKeys, "Shift+Alt+Super+4"},
        {{"-layout", "us"}, ctrl(Key::leftBracket), "Ctrl+["},
        {{"-layout", "de"}, ctrl(Key::y), "Ctrl+Z"},
        {{"-layout", "de"}, ctrl(Key::equal), "Ctrl+\u00B4"}, // a dead key shows its accent
        {{"-layout", "fr"}, fourKeys, "Shift+Alt+Super+'"}, // the key that types 4 with Shift
        {{"-layout", "fr"}, ctrl(Key::q), "Ctrl+A"}, // the ANSI Q position types "a" on AZERTY
        {{"-layout", "ru,us"}, ctrl(Key::a), "Ctrl+A"}, // Russian active: the Latin group speaks
        {{"-layout", "ru"}, ctrl(Key::a), "Ctrl+\u0424"}, // no Latin group at all: the active one
        {{"-layout", "ru"}, fourKeys, "Shift+Alt+Super+4"},
        // Its Q and Z keys type punctuation, its letters lie elsewhere.
        {{"-layout", "us", "-variant", "dvorak"}, ctrl(Key::q), "Ctrl+'"},
        {{"-layout", "us", "-variant", "dvorak"}, ctrl(Key::s), "Ctrl+O"},
        // Braille dots and no digits: the US places.
        {{"-layout", "brai"}, fourKeys, "Shift+Alt+Super+4"},
        {{"-layout", "brai"}, ctrl(Key::a), "Ctrl+A"},
        // Ethiopic letters, and presentation-form placeholders on some keys.
        {{"-layout", "et"}, ctrl(Key::s), "Ctrl+\u1230"},
        {{"-layout", "et"}, ctrl(Key::e), "Ctrl+E"},
        {{"-layout", "et"}, ctrl(Key::a), "Ctrl+A"},
        {{"-layout", "fr"}, ctrl(Key::q), "Ctrl+A"}, // away from "q", for the group switch below
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.layout.join(' ').toStdString() + " " + c.text);
        setxkbmap(c.layout);
        // Changed while we run: the layout follows without a restart.
        EXPECT_TRUE(waitUntil([&] { return c.shortcut.description() == QString::fromUtf8(c.text); }))
            << c.shortcut.description().toStdString();
    }
    // A group switch is followed, and modifier presses on the way cost no new keymap.
    setxkbmap({"-layout", "us,fr"});
    ASSERT_TRUE(waitUntil([] { return characterForKeyCode(Key::q.rawValue) == QStringLiteral("q"); }));
    const int builds = layout->keymapBuilds();
    xdotool({"key", "shift", "ctrl", "shift"});
    xdotool({"keydown", "Mode_switch"}); // the second group while held
    EXPECT_TRUE(waitUntil([] { return characterForKeyCode(Key::q.rawValue) == QStringLiteral("a"); }));
    xdotool({"keyup", "Mode_switch"});
    EXPECT_EQ(layout->keymapBuilds(), builds);
    setxkbmap({"-layout", "us"});
}

// The recorder in a real window, typed into with xdotool: combinations that
// our own hotkeys or the window manager hold reach it.
class RecorderOnX11 : public ::testing::Test, protected LibraryOnX11
{
protected:
    RecorderOnX11()
    {
        onKeyUp(fullscreen, [this] { ++fullscreenUps; });
        onKeyUp(scroll, [this] { ++scrollUps; });
        auto *column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(new QPushButton(QStringLiteral("Elsewhere")));
        window.show();
        window.activateWindow();
    }

    void SetUp() override { ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 20000)); }

    // A real click, so that the window manager and the X server see it too.
    void clickField()
    {
        const QPoint at = X11TestSupport::onScreen(field, field->rect().center());
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        ASSERT_TRUE(waitUntil([&] { return field->isRecording(); })) << "recording did not start";
    }

    Name fullscreen{QStringLiteral("captureFullscreen"), Shortcut(Key::three, commandOptionShift)};
    Name scroll{QStringLiteral("captureScroll"), Shortcut(Key::five, commandOptionShift)};
    int fullscreenUps = 0, scrollUps = 0;
    QWidget window;
    RecorderCocoa *field = new RecorderCocoa(scroll);
};

TEST_F(RecorderOnX11, AHeldCombinationIsRecordedAndRunsNothing)
{
    clickField();
    xdotool({"key", "shift+alt+super+3"});
    ASSERT_TRUE(waitUntil([&] { return readShortcut(scroll) == fullscreen.shortcut(); }))
        << "recording ended without the combination";
    EXPECT_EQ(field->text(), QStringLiteral("Shift+Alt+Super+3"));
    EXPECT_TRUE(waitUntil([&] { return !field->isRecording(); }));
    // Qt sends the window's release of the keyboard when its event loop next runs.
    QCoreApplication::processEvents();
    // Grabbed again once recording ended: one press now runs both names.
    // Had the recorded press run anything, the counts would be ahead.
    xdotool({"key", "shift+alt+super+3"});
    ASSERT_TRUE(waitUntil([&] { return scrollUps == 1; }));
    EXPECT_EQ(std::pair(fullscreenUps, beeps), std::pair(1, 0));
}

TEST_F(RecorderOnX11, ACombinationTheWindowManagerHoldsShowsTheSystemAlert)
{
    AlertAnswerer answerer(QStringLiteral("OK")); // keep the old shortcut
    clickField();
    xdotool({"key", "ctrl+alt+Left"}); // openbox's "go to the desktop on the left"
    ASSERT_TRUE(waitUntil([&] { return answerer.shown == 1; }))
        << "no alert; recording: " << field->isRecording();
    EXPECT_EQ(
        answerer.text, QStringLiteral("This shortcut is already in use by the system or another program."));
    // Recording goes on, with the keyboard held again: another held
    // combination still reaches the field.
    EXPECT_TRUE(waitUntil([&] { return field->isRecording(); }));
    EXPECT_EQ(readShortcut(scroll), Shortcut(Key::five, commandOptionShift));
    xdotool({"key", "shift+alt+super+3"});
    EXPECT_TRUE(waitUntil([&] { return readShortcut(scroll) == fullscreen.shortcut(); }));
    EXPECT_EQ(answerer.shown, 1);
}

} // namespace
