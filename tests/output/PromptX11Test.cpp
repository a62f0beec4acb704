// The name prompt opened while another application has the keyboard, as
// after a global shortcut: typing must reach the prompt, not that application.
#include "output/FileNamePromptPanel.h"

#include "platform/KeyboardFocus.h"
#include "platform/x11/X11Platform.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

WId focusedWindow()
{
    return TestSupport::runProgram(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")})
        .trimmed()
        .toULongLong();
}

TEST(PromptX11, TypingReachesThePromptThatOpensWhileAnotherApplicationHasFocus)
{
    const X11TestSupport::HelperWindow other(QStringLiteral("300x200+40+40"));
    const WId window = other.id;
    ASSERT_NE(window, 0u);
    // Activation needs a window manager; without one the focus is set directly.
    int status = 0;
    TestSupport::runProgram(QStringLiteral("xdotool"),
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}, &status);
    if (status != 0)
        TestSupport::runProgram(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return focusedWindow() == window; }))
        << focusedWindow() << " instead of " << window;

    // The user works in the other application right before the shortcut:
    // its last user time is newer than anything this process has seen.
    TestSupport::runProgram(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("shift")});

    const Platform platform = makeX11Platform();
    const std::optional<QRect> focusedFrame = platform.focus->focusedWindowFrame();
    ASSERT_TRUE(focusedFrame);
    EXPECT_EQ(focusedFrame->size(), QSize(300, 200));

    FileNamePromptPanel prompt(PanelContext::fromPlatform(platform));
    QFuture<PromptResult> answer = prompt.prompt(QStringLiteral("Default name"), ImageFormat::png);
    ASSERT_TRUE(prompt.panel());
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return prompt.panel() && focusedWindow() == prompt.panel()->winId() && prompt.textField()->hasFocus();
    })) << "focus stayed on "
        << focusedWindow();

    TestSupport::runProgram(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
            QStringLiteral("Typed name")});
    TestSupport::runProgram(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return answer.isFinished(); }));
    EXPECT_EQ(answer.result(), (PromptResult{QStringLiteral("Typed name"), ImageFormat::png}));
}

} // namespace
