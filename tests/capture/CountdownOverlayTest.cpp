#include "capture/CountdownOverlay.h"

#include "fakes/Fixtures.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The badge shows each number for one tick; the callback runs on the last
// tick with the badge already gone, and the last tick has no pulse.
TEST(CountdownOverlay, CountsDownThenRunsTheCallbackWithoutTheBadge)
{
    const std::pair<int, QStringList> cases[] = {{3, {"3", "2", "1"}}, {0, {"0"}}};
    for (const auto &[seconds, shown] : cases) {
        SCOPED_TRACE(seconds);
        CountdownOverlay overlay(panelContext(true));
        int calls = 0;
        bool badgeGoneAtCallback = false;
        QPointer<QWidget> badge;
        overlay.start(seconds, [&] {
            ++calls;
            badgeGoneAtCallback = overlay.panel() == nullptr && badge && !badge->isVisible();
        });
        badge = overlay.panel();
        ASSERT_TRUE(badge && overlay.timer());
        EXPECT_EQ(overlay.timer()->interval(), 1000);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(overlay.label()->text(), shown[i]) << "before tick " << i + 1;
            EXPECT_EQ(calls, 0);
            overlay.tick();
            const bool last = i + 1 == shown.size();
            EXPECT_EQ(overlay.pulse() != nullptr, !last) << "after tick " << i + 1;
        }
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(badgeGoneAtCallback);
        EXPECT_EQ(overlay.timer(), nullptr);
    }
}

// Without a compositing manager the badge is shaped and does not pulse;
// without a screen there is no badge and the callback runs at once.
TEST(CountdownOverlay, WithoutACompositorOrAScreen)
{
    CountdownOverlay plain(panelContext(false));
    plain.start(3, [] {});
    plain.tick();
    EXPECT_EQ(plain.pulse(), nullptr);
    EXPECT_FALSE(plain.panel()->mask().contains(QPoint(2, 2)));
    CountdownOverlay nowhere(panelContext(true, false));
    int calls = 0;
    nowhere.start(3, [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(nowhere.panel(), nullptr);
}

} // namespace
