#include "capture/CaptureService.h"
#include "capture/CaptureError.h"
#include "fakes/FakeWindowList.h"
#include "fakes/Fixtures.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

constexpr quint32 IdC = 103;
const qint64 OwnPid = QCoreApplication::applicationPid();

// The grabber also lists a display C with no screen object.
class CaptureServiceTest : public TwoScreensTest
{
protected:
    void SetUp() override
    {
        TwoScreensTest::SetUp();
        displays.mainDisplay = IdB;
        grabber.shareableDisplays.append({IdC, QRect(2240, 0, 500, 400)});
    }
    CaptureService &service()
    {
        if (!m_service)
            m_service = std::make_unique<CaptureService>(displays, grabber, windowList);
        return *m_service;
    }
    static CaptureError errorOf(QFuture<CaptureResult> future)
    {
        try {
            future.result();
        } catch (const CaptureFailure &failure) {
            return failure.error();
        }
        ADD_FAILURE() << "the capture did not fail";
        return CaptureError::captureFailedNoImage;
    }

    FakeWindowList windowList;

private:
    std::unique_ptr<CaptureService> m_service;
};

WindowInfo window(quint32 number, QRect bounds, qint64 pid = 4242, std::optional<int> layer = 0)
{
    return {number, pid, layer, bounds};
}

TEST_F(CaptureServiceTest, RegionsAndDisplaysAreReadAtTheDisplaysScale)
{
    // what, the region (none: the whole display), its display, what is read, the size
    const std::tuple<const char *, std::optional<QRectF>, quint32, QRect, QSize> cases[] = {
        {"scale 2", QRectF{10, 20, 100.7, 50.2}, IdA, {20, 40, 201, 100}, {201, 100}},
        {"scale 2, fractional origin", QRectF{10.6, 20.3, 100.7, 50.2}, IdA, {21, 40, 201, 100}, {201, 100}},
        {"scale 1, second screen", QRectF{1610, 5, 100.7, 50.2}, IdB, {1610, 5, 100, 50}, {100, 50}},
        // What lies past the edges is left transparent (CaptureX11Test reads it).
        {"past B's edges: its own size", QRectF{2200, 400, 100, 140}, IdB, {2200, 400, 40, 80}, {100, 140}},
        {"no screen object: scale 2", QRectF{2250, 10, 100.7, 50.2}, IdC, {2250, 10, 100, 50}, {201, 100}},
        {"whole display at scale 2", {}, IdA, {0, 0, 1600, 1200}, {1600, 1200}},
        {"whole display at scale 1", {}, IdB, {1600, 0, 640, 480}, {640, 480}},
        {"whole display, no screen object: its own pixels", {}, IdC, {2240, 0, 500, 400}, {500, 400}},
    };
    for (const auto &[what, rect, display, source, size] : cases) {
        SCOPED_TRACE(what);
        grabber.grabbedAreas.clear();
        const CaptureResult result = rect ? service().captureRegion(*rect, display).result()
                                          : service().captureFullscreen(display).result();
        EXPECT_EQ(result.image.size(), size);
        EXPECT_EQ(grabber.grabbedAreas, QList<QRect>{source});
        EXPECT_EQ(result.mode, rect ? CaptureMode::region : CaptureMode::fullscreen);
        EXPECT_EQ(result.displayID, display);
    }
}

TEST_F(CaptureServiceTest, UnknownDisplaysAndPlatformErrorsFailAndTheWorkIsOffTheMainThread)
{
    // The platform's own message arrives unchanged, not turned into a
    // CaptureError. First, so that the task goes to a new worker of its own.
    grabber.failure = QStringLiteral("Could not read the screen: BadMatch");
    try {
        service().captureFullscreen(IdA).result();
        ADD_FAILURE() << "no error";
    } catch (const CaptureFailure &) {
        ADD_FAILURE() << "platform error turned into a CaptureError";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), *grabber.failure);
    }
    EXPECT_NE(grabber.lastThread, QThread::currentThread());
    grabber.failure.reset();
    EXPECT_EQ(errorOf(service().captureRegion({0, 0, 50, 50}, 999)), CaptureError::displayNotFound);
    EXPECT_EQ(errorOf(service().captureFullscreen(999)), CaptureError::displayNotFound);
    EXPECT_EQ(grabber.grabbedAreas.size(), 1) << "only the failed grab";
}

// The first ordinary window of another process above 50 points, on the
// screen it meets, else on the main display. On B (scale 1) points are
// pixels; on A (scale 2) 100 px are 50 points. Windows numbered from 100 up
// are missing from the shareable list. (Only windows of our own:
// CaptureX11WindowTest, on the X server's own list.)
TEST_F(CaptureServiceTest, WindowChoiceAndItsDisplay)
{
    const QRect big(1700, 50, 300, 200);
    // what, the windows front to back, the one chosen, its display
    const std::tuple<const char *, std::optional<QList<WindowInfo>>, std::optional<quint32>, quint32> cases[]
        = {
            {"exactly 50 points wide or high",
                QList{window(1, {1700, 50, 50, 200}), window(2, {1700, 50, 200, 50}),
                    window(3, {10, 10, 100, 300})},
                std::nullopt, 0},
            {"not layer 0 or no layer", QList{window(1, big, 4242, 3), window(2, big, 4242, std::nullopt)},
                std::nullopt, 0},
            {"no bounds", QList<WindowInfo>{{7, 4242, 0, std::nullopt}}, std::nullopt, 0},
            {"the frontmost that qualifies is not shareable: not replaced",
                QList{window(101, big), window(2, big)}, std::nullopt, 0},
            {"no window list", std::nullopt, std::nullopt, 0},
            {"skips to the first that qualifies, on A",
                QList{window(1, big, OwnPid), window(2, {1700, 50, 40, 40}), window(3, {10, 10, 102, 102}),
                    window(4, big)},
                3, IdA},
            {"on B", QList{window(9, big)}, 9, IdB},
            {"on no screen: the main display B", QList{window(9, {5000, 5000, 300, 200})}, 9, IdB},
        };
    for (const auto &[what, list, chosen, display] : cases) {
        SCOPED_TRACE(what);
        windowList.windows = list;
        grabber.shareableWindows.clear();
        for (const WindowInfo &w : list.value_or(QList<WindowInfo>{})) {
            if (w.number < 100)
                grabber.shareableWindows.append({w.number, w.bounds.value_or(QRect())});
        }
        grabber.grabbedWindows.clear();
        QFuture<CaptureResult> future = service().captureWindow();
        if (!chosen) {
            EXPECT_EQ(errorOf(future), CaptureError::windowNotFound);
            EXPECT_TRUE(grabber.grabbedWindows.isEmpty());
            continue;
        }
        const CaptureResult result = future.result();
        EXPECT_EQ(grabber.grabbedWindows, QList<quint32>{*chosen});
        EXPECT_EQ(result.mode, CaptureMode::window);
        EXPECT_EQ(result.displayID, display);
        EXPECT_EQ(result.image.pixel(0, 0), grabber.windowColor);
        for (const ShareableWindow &w : grabber.shareableWindows)
            EXPECT_TRUE(w.windowID != *chosen || result.image.size() == w.frame.size()) << "resized";
    }
}

} // namespace
