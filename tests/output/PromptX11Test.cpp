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

using X11TestSupport::xdotool;

WId focusedWindow()
{
    return X11TestSupport::xdotoolWindow("getwindowfocus");
}

TEST(PromptX11, TypingReachesThePromptThatOpensWhileAnotherApplicationHasFocus)
{
    const X11TestSupport::HelperWindow other(QStringLiteral("300x200+40+40"));
    ASSERT_TRUE(other.shown);
    // Activation needs a window manager; without one the focus is set directly.
    const QString id = QString::number(other.id);
    if (!xdotool({"windowactivate", "--sync", id}))
        xdotool({"windowfocus", "--sync", id});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return focusedWindow() == other.id; }));
    // The user works in the other application right before the shortcut:
    // its last user time is newer than anything this process has seen.
    xdotool({"key", "shift"});
    const Platform platform = makeX11Platform();
    EXPECT_EQ(platform.focus->focusedWindowFrame().value_or(QRect()).size(), QSize(300, 200));
    FileNamePromptPanel prompt(PanelContext::fromPlatform(platform));
    QFuture<PromptResult> answer = prompt.prompt(QStringLiteral("Default name"), ImageFormat::png);
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return prompt.panel() && focusedWindow() == prompt.panel()->winId() && prompt.textField()->hasFocus();
    })) << "focus stayed on "
        << focusedWindow();
    xdotool({"type", "--delay", "20", "Typed name"});
    xdotool({"key", "Return"});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return answer.isFinished(); }));
    EXPECT_EQ(answer.result(), (PromptResult{QStringLiteral("Typed name"), ImageFormat::png}));
}

} // namespace
