#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("quillet"));
    return CommandLine::parse(arguments);
}

} // namespace

TEST(CommandLine, AcceptsEachCaptureKindAndAWholeDelay)
{
    const struct
    {
        QStringList arguments;
        std::optional<CaptureMode> capture;
        int delay;
    } cases[] = {
        {{}, std::nullopt, 0},
        {{"--capture", "region"}, CaptureMode::region, 0},
        {{"--capture=scroll"}, CaptureMode::scroll, 0},
        {{"--capture", "fullscreen", "--delay", "3"}, CaptureMode::fullscreen, 3},
        {{"--delay", "0", "--capture", "window"}, CaptureMode::window, 0},
    };
    for (const auto &c : cases) {
        const CommandLine line = parse(c.arguments);
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(line.action, CommandLine::Action::run) << line.text.toStdString();
        EXPECT_EQ(line.capture, c.capture);
        EXPECT_EQ(line.delaySeconds, c.delay);
    }
}

// A refusal is one line that names what was wrong, so that a desktop
// shortcut's log or a terminal says why nothing happened.
TEST(CommandLine, RefusesWhatItCannotDoInOneLine)
{
    const struct
    {
        QStringList arguments;
        const char *names;
    } cases[] = {
        {{"--capture", "Region"}, "\"Region\""},
        {{"--capture"}, "capture"},
        {{"--capture", "region", "--delay", "-1"}, "\"-1\""},
        {{"--capture", "region", "--delay", "1.5"}, "\"1.5\""},
        {{"--capture", "region", "--delay", "61"}, "\"61\""},
        {{"--delay", "3"}, "--capture"},
        {{"--frobnicate"}, "frobnicate"},
        {{"region"}, "\"region\""},
    };
    for (const auto &c : cases) {
        const CommandLine line = parse(c.arguments);
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(line.action, CommandLine::Action::refuse);
        EXPECT_TRUE(line.text.contains(QLatin1String(c.names))) << line.text.toStdString();
        EXPECT_FALSE(line.text.contains(u'\n'));
    }
}

TEST(CommandLine, HelpNamesTheKindsAndVersionIsTheProjects)
{
    const CommandLine help = parse({"--help"});
    EXPECT_EQ(help.action, CommandLine::Action::help);
    EXPECT_TRUE(help.text.contains(QLatin1String("region|scroll|fullscreen|window")));
    const CommandLine version = parse({"--version"});
    EXPECT_EQ(version.action, CommandLine::Action::version);
    EXPECT_EQ(version.text, QStringLiteral("quillet " QUILLET_VERSION));
}
