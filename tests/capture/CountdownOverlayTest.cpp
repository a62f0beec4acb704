#include "capture/CountdownOverlay.h"

#include "fakes/FakeCompositingManager.h"

#include <QAbstractAnimation>
#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

PanelContext composited(bool running = true)
{
    PanelContext context;
    context.compositing = std::make_shared<FakeCompositingManager>(running);
    context.mainScreenOverride = [] { return QGuiApplication::primaryScreen(); };
    return context;
}

struct CountCase
{
    int seconds;
    QStringList shown; // the badge's text before each tick
};

class CountdownSequence : public ::testing::TestWithParam<CountCase>
{
};

// The badge shows each number for one tick; the callback runs on the last
// tick with the badge already gone, and the last tick has no pulse.
TEST_P(CountdownSequence, CountsDownThenRunsTheCallbackWithoutTheBadge)
{
    const CountCase &c = GetParam();
    CountdownOverlay overlay(composited());
    int calls = 0;
    bool badgeGoneAtCallback = false;
    QPointer<QWidget> badge;
    overlay.start(c.seconds, [&] {
        ++calls;
        badgeGoneAtCallback = overlay.panel() == nullptr && badge && !badge->isVisible();
    });
    badge = overlay.panel();
    ASSERT_TRUE(badge);
    EXPECT_TRUE(badge->isVisible());
    ASSERT_TRUE(overlay.timer());
    EXPECT_EQ(overlay.timer()->interval(), 1000);
    EXPECT_TRUE(overlay.timer()->isActive());

    for (qsizetype i = 0; i < c.shown.size(); ++i) {
        ASSERT_TRUE(overlay.label());
        EXPECT_EQ(overlay.label()->text(), c.shown[i]) << "before tick " << i + 1;
        EXPECT_EQ(calls, 0);
        overlay.tick();
        const bool last = i + 1 == c.shown.size();
        EXPECT_EQ(overlay.pulse() != nullptr, !last) << "after tick " << i + 1;
    }
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(badgeGoneAtCallback);
    EXPECT_EQ(overlay.timer(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Seconds, CountdownSequence,
    ::testing::Values(CountCase{3, {"3", "2", "1"}}, CountCase{1, {"1"}}, CountCase{0, {"0"}}));

TEST(CountdownOverlay, PulseDimsToHalfThenReturnsWithTheRightDurations)
{
    CountdownOverlay overlay(composited());
    overlay.start(3, [] {});
    overlay.tick();
    auto *group = qobject_cast<QSequentialAnimationGroup *>(overlay.pulse());
    ASSERT_TRUE(group);
    ASSERT_EQ(group->animationCount(), 2);
    auto *down = qobject_cast<QPropertyAnimation *>(group->animationAt(0));
    auto *up = qobject_cast<QPropertyAnimation *>(group->animationAt(1));
    ASSERT_TRUE(down && up);
    EXPECT_EQ(down->targetObject(), overlay.panel());
    EXPECT_EQ(down->propertyName(), "windowOpacity");
    EXPECT_DOUBLE_EQ(down->endValue().toDouble(), 0.5);
    EXPECT_EQ(down->duration(), 100);
    EXPECT_DOUBLE_EQ(up->endValue().toDouble(), 1.0);
    EXPECT_EQ(up->duration(), 150);
    EXPECT_EQ(group->state(), QAbstractAnimation::Running);

    // Without a compositing manager opacity is ignored: a shaped badge, no pulse.
    CountdownOverlay plain(composited(false));
    plain.start(3, [] {});
    plain.tick();
    EXPECT_EQ(plain.pulse(), nullptr);
    EXPECT_FALSE(plain.panel()->mask().contains(QPoint(2, 2)));
}

TEST(CountdownOverlay, BadgeIsCentredOnTheMainScreen)
{
    CountdownOverlay overlay(composited());
    overlay.start(3, [] {});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_TRUE(overlay.panel());
    EXPECT_EQ(overlay.panel()->geometry(),
        QRect(screen.x() + screen.width() / 2 - 60, screen.y() + screen.height() / 2 - 60, 120, 120));
}

TEST(CountdownOverlay, ASecondStartDropsTheFirstCallback)
{
    CountdownOverlay overlay(composited());
    int first = 0;
    int second = 0;
    overlay.start(3, [&] { ++first; });
    overlay.tick();
    overlay.start(2, [&] { ++second; });
    EXPECT_EQ(overlay.label()->text(), QStringLiteral("2"));
    overlay.tick();
    overlay.tick();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST(CountdownOverlay, DismissDropsTheCallbackAndTheBadge)
{
    CountdownOverlay overlay(composited());
    int calls = 0;
    overlay.start(1, [&] { ++calls; });
    QPointer<QWidget> badge = overlay.panel();
    overlay.dismiss();
    QCoreApplication::processEvents();
    EXPECT_EQ(overlay.timer(), nullptr);
    EXPECT_TRUE(!badge || !badge->isVisible());
    EXPECT_EQ(calls, 0);
}

TEST(CountdownOverlay, WithoutAScreenTheCallbackRunsAtOnce)
{
    PanelContext context;
    context.mainScreenOverride = [] { return nullptr; };
    CountdownOverlay overlay(context);
    int calls = 0;
    overlay.start(3, [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(overlay.panel(), nullptr);
    EXPECT_EQ(overlay.timer(), nullptr);
}

} // namespace
