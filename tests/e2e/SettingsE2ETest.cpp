#include "e2e/QuilletE2E.h"

#include "support/X11TestSupport.h"

#include <QFileInfo>

// What the stored settings make of a capture, and what becomes of a capture
// when they are unusable. (A save folder that cannot be made: CaptureE2ETest.)
namespace {

TEST_F(QuilletE2E, OutputSettingsShapeWhatIsSaved)
{
    ASSERT_TRUE(start({{"imageFormat", "jpeg"}, {"copyToClipboard", true}, {"promptForFileName", true}}));
    // Another application has the keyboard, as when a shortcut is used.
    const X11TestSupport::HelperWindow other(QStringLiteral("300x200+1200+500"));
    ASSERT_TRUE(other.shown && other.waitForFocus());
    const QImage screen = grabScreenWithImageMagick();
    key(Fullscreen);
    const auto prompt = waitFor([&] { return findWindow(QStringLiteral("Name Screenshot")); });
    ASSERT_TRUE(prompt);
    const auto focus = [] { return X11TestSupport::xdotoolWindow("getwindowfocus"); };
    ASSERT_TRUE(TestSupport::waitUntil([&] { return focus() == *prompt; }))
        << "the prompt did not take the keyboard; " << focus() << " has it";
    xdotool({"type", "--delay", "20", "Invoice"});
    key(QStringLiteral("Return"));
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(QFileInfo(saved[0]).fileName(), QStringLiteral("Invoice.jpeg"));
    EXPECT_TRUE(TestSupport::readFile(saved[0]).startsWith("\xff\xd8\xff"));
    EXPECT_EQ(QImage(saved[0]).size(), ScreenSize);
    EXPECT_TRUE(pixels(QImage::fromData(X11TestSupport::clipboard(QStringLiteral("image/png")))) == screen);
}

// A cleared combination does nothing; a stored one replaces the default.
TEST_F(QuilletE2E, StoredShortcutsReplaceTheDefaults)
{
    // No fullscreen capture at all; Control-Option-9 for the window capture.
    ASSERT_TRUE(start({{"KeyboardShortcuts_captureFullscreen", false},
        {"KeyboardShortcuts_captureWindow", R"({"carbonKeyCode":25,"carbonModifiers":6144})"}}));
    key(Fullscreen);
    // With no window in front the default would save some other window or alert.
    key(QStringLiteral("shift+alt+super+6"));
    const X11TestSupport::HelperWindow front(QStringLiteral("400x300+500+300"));
    ASSERT_TRUE(front.shown && front.waitForFocus());
    const QImage screen = grabScreenWithImageMagick();
    key(QStringLiteral("ctrl+alt+9"));
    // What the two combinations above started would be older than this file.
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(pixels(saved[0]) == screen.copy(frameOf(front, {400, 300})));
    EXPECT_FALSE(findAlert());
}

TEST_F(QuilletE2E, ACorruptDefaultsFileIsKeptAsideAndTheDefaultsApply)
{
    writeDefaults("{\"savePath\": ");
    ASSERT_TRUE(start({}, false));
    key(Fullscreen);
    const QStringList saved = waitForFiles(1, home() + QStringLiteral("/Desktop"));
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved[0].endsWith(QLatin1String(".png")));
    EXPECT_EQ(QImage(saved[0]).size(), ScreenSize);
    EXPECT_EQ(TestSupport::readFile(defaultsFile() + QStringLiteral(".corrupt")), "{\"savePath\": ");
}

} // namespace
