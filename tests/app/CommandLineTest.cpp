#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

// A refusal is one line that names what was wrong, so that a desktop
// shortcut's log or a terminal says why nothing happened.
TEST(CommandLine, AcceptsEachCaptureKindAndAWholeDelayAndRefusesTheRestInOneLine)
{
    using Action = CommandLine::Action;
    const struct
    {
        QStringList arguments;
        Action action;
        std::optional<CaptureMode> capture = std::nullopt;
        int delay = 0;
        const char *says = ""; // in the text
        bool settings = false;
    } cases[] = {
        {{}, Action::run},
        {{"--settings"}, Action::run, {}, 0, "", true},
        {{"--settings", "--capture", "region"}, Action::refuse, {}, 0, "--settings"},
        {{"--capture", "region"}, Action::run, CaptureMode::region},
        {{"--capture=scroll"}, Action::run, CaptureMode::scroll},
        {{"--capture", "fullscreen", "--delay", "3"}, Action::run, CaptureMode::fullscreen, 3},
        {{"--delay", "0", "--capture", "window"}, Action::run, CaptureMode::window},
        {{"--capture", "Region"}, Action::refuse, {}, 0, "\"Region\""},
        {{"--capture"}, Action::refuse, {}, 0, "capture"},
        {{"--capture", "region", "--delay", "-1"}, Action::refuse, {}, 0, "\"-1\""},
        {{"--capture", "region", "--delay", "1.5"}, Action::refuse, {}, 0, "\"1.5\""},
        {{"--capture", "region", "--delay", "61"}, Action::refuse, {}, 0, "\"61\""},
        {{"--delay", "3"}, Action::refuse, {}, 0, "--capture"},
        {{"--frobnicate"}, Action::refuse, {}, 0, "frobnicate"},
        {{"region"}, Action::refuse, {}, 0, "\"region\""},
        {{"--help"}, Action::help, {}, 0, "region|scroll|fullscreen|window"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("quillet")} + c.arguments);
        EXPECT_EQ(line.action, c.action) << line.text.toStdString();
        EXPECT_TRUE(line.text.contains(QLatin1String(c.says))) << line.text.toStdString();
        if (c.action == Action::run) {
            EXPECT_EQ(line.capture, c.capture);
            EXPECT_EQ(line.delaySeconds, c.delay);
            EXPECT_EQ(line.settings, c.settings);
        }
        EXPECT_TRUE(c.action != Action::refuse || !line.text.contains(u'\n'));
    }
    const CommandLine version = CommandLine::parse({QStringLiteral("quillet"), QStringLiteral("--version")});
    EXPECT_EQ(version.action, Action::version);
    EXPECT_EQ(version.text, QStringLiteral("quillet " QUILLET_VERSION));
}

} // namespace
