#include "app/MainScreen.h"

#include "fakes/FakeKeyboardFocus.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// Screen A: 0,0 at scale 2 (its device pixels reach twice as far as its
// points); screen B: 1600,0 at scale 1.
QScreen *screenNamed(const char *name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == QLatin1String(name))
            return screen;
    }
    return nullptr;
}

TEST(MainScreen, FocusedWindowThenPointerThenPrimary)
{
    ASSERT_TRUE(screenNamed("A") && screenNamed("B"));
    const struct
    {
        const char *what;
        std::optional<QRect> focusedFrame; // device pixels
        QPoint pointer; // points
        const char *expected;
    } cases[] = {
        {"focus on B wins over the pointer on A", QRect(1700, 100, 200, 100), {10, 10}, "B"},
        // Centre at x 1200: past A's points, within A's device pixels.
        {"focus in A's device pixels at scale 2", QRect(1100, 100, 200, 100), {1610, 10}, "A"},
        {"no focused window: the pointer's screen", std::nullopt, {1610, 10}, "B"},
        {"focus off every screen: the pointer's screen", QRect(5000, 5000, 10, 10), {1610, 10}, "B"},
    };
    for (const auto &c : cases) {
        FakeKeyboardFocus focus;
        focus.frame = c.focusedFrame;
        QCursor::setPos(c.pointer);
        EXPECT_EQ(MainScreen::find(&focus), screenNamed(c.expected)) << c.what;
    }
    QCursor::setPos(5000, 5000);
    EXPECT_EQ(MainScreen::find(nullptr), QGuiApplication::primaryScreen()) << "nothing known: the primary";
}

} // namespace
