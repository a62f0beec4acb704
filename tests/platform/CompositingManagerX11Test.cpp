#include "platform/x11/X11CompositingManager.h"

#include "support/TestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

TEST(X11CompositingManagerTest, FollowsACompositorStartingAndStopping)
{
    X11CompositingManager compositing;
    EXPECT_FALSE(compositing.isRunning());
    QProcess xcompmgr;
    xcompmgr.start(QStringLiteral("xcompmgr"), {});
    ASSERT_TRUE(xcompmgr.waitForStarted());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return compositing.isRunning(); }));
    xcompmgr.kill();
    xcompmgr.waitForFinished();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !compositing.isRunning(); }));
}
