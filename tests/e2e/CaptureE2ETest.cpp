#include "e2e/QuilletE2E.h"

#include "platform/x11/X11HotkeyBackend.h"
#include "support/X11TestSupport.h"

// Captures started by the global shortcuts of the real program.
namespace {

using X11TestSupport::patternMismatches;

// The scroll capture's default, Shift-Alt-Super-5, is another client's
// first: quillet says so, and every other shortcut starts its capture.
TEST_F(QuilletE2E, ACombinationHeldByAnotherClientIsReportedAndTheOthersWork)
{
    const auto otherClient = X11HotkeyBackend::create();
    ASSERT_TRUE(otherClient);
    ASSERT_EQ(otherClient->grab(1, {6}, KeyModifiers{true, false, true, true}), HotkeyBackend::Result::grabbed);
    ASSERT_TRUE(start());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return output().contains("Error registering hotkey ⌥⇧⌘5: -9878\n"); }))
        << output().constData();

    // A dragged region holds what was under the overlay, not the overlay.
    key(QStringLiteral("shift+alt+super+4"));
    const QRect probe(100, 100, 4, 4);
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(probe, [&](const QImage &s) {
        return patternMismatches(s, probe) != 0;
    })) << "no overlay";
    xdotool({"mousemove", "100", "100", "mousedown", "1", "mousemove", "260", "220", "mousemove", "420",
        "340", "mouseup", "1"});
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(patternMismatches(pixels(saved[0]), {100, 100, 320, 240}), 0);

    key(Fullscreen);
    EXPECT_EQ(waitForFiles(2).size(), 2);
    const X11TestSupport::HelperWindow front(QStringLiteral("400x300+500+300"));
    ASSERT_TRUE(front.shown && front.waitForFocus());
    key(QStringLiteral("shift+alt+super+6"));
    EXPECT_EQ(waitForFiles(3).size(), 3);
    EXPECT_FALSE(findAlert());
}

} // namespace
