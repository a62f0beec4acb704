#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/x11/X11HotkeyBackend.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// The recorder and the conflict probe against a real X server and keyboard.

namespace {

using namespace KeyboardShortcuts;
using TestSupport::waitUntil;

const KeyModifiers superAltShift{true, false, true, true};

TEST(RecorderOnX11, ProbingFindsOtherClientsGrabsAndLeavesOursAlone)
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

// Typed for real, the modifiers arrive as key presses of their own first.
TEST(RecorderOnX11, RecordsACombinationTypedOnTheKeyboard)
{
    QTemporaryDir dir;
    int beeps = 0;
    const auto store = std::make_shared<DefaultsStore>(dir.path() + QStringLiteral("/defaults.json"));
    resetState({store, X11HotkeyBackend::create(), X11KeyboardLayout::create(), [&] { ++beeps; }});
    const Name name(QStringLiteral("captureFullscreen"));
    Recorder recorder(QStringLiteral("Fullscreen Capture"), name);
    recorder.show();
    recorder.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&recorder));

    const QPoint centre = recorder.field()->mapToGlobal(recorder.field()->rect().center());
    ASSERT_TRUE(X11TestSupport::xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y()),
                                      "click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return recorder.field()->isRecording(); }));
    ASSERT_TRUE(X11TestSupport::xdotool({"key", "shift+alt+super+F2"}));
    ASSERT_TRUE(waitUntil([&] { return readShortcut(name).has_value(); }));
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(120, 0xB00));
    EXPECT_EQ(recorder.field()->text(), QStringLiteral("⌥⇧⌘F2"));
    EXPECT_EQ(beeps, 0);
    resetState({store, nullptr, nullptr});
}

} // namespace
