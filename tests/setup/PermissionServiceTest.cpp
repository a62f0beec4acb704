#include "setup/PermissionService.h"
#include "fakes/FakeScreenCapturePermission.h"

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

int activeTimers(const PermissionService &service)
{
    int active = 0;
    for (const QTimer *timer : service.findChildren<QTimer *>())
        active += timer->isActive() ? 1 : 0;
    return active;
}

TEST(PermissionServiceTest, PollingStopsOnTheGrantWhichObserversSeeOnce)
{
    FakeScreenCapturePermission platform;
    platform.grantOnCheck = 4; // construction, then the third tick
    PermissionService service(platform);
    QSignalSpy changes(&service, &PermissionService::hasScreenCapturePermissionChanged);
    // A second request while polling adds no second timer.
    service.requestPermission();
    service.requestPermission();
    EXPECT_EQ(platform.requests, 2);
    EXPECT_EQ(activeTimers(service), 1);
    ASSERT_TRUE(service.pollTimer());
    EXPECT_EQ(service.pollTimer()->interval(), 1000);
    service.pollTick();
    service.pollTick();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(service.pollTimer());
    service.pollTick();
    EXPECT_TRUE(service.hasScreenCapturePermission());
    EXPECT_FALSE(service.pollTimer());
    EXPECT_EQ(activeTimers(service), 0);
    service.checkPermission();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toBool(), true);
}

TEST(PermissionServiceTest, AGrantedPermissionIsNeitherRequestedNorPolled)
{
    FakeScreenCapturePermission platform;
    platform.grantOnCheck = 1;
    PermissionService service(platform);
    service.requestPermission();
    EXPECT_EQ(platform.requests, 0);
    EXPECT_EQ(activeTimers(service), 0);
}

} // namespace
