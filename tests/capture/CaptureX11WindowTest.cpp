#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "platform/x11/X11CompositingManager.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

// Windows under openbox, run with and without a compositing manager. The
// helper program paints pixel (x, y) of its window as (x & 255, y & 255, 200).
namespace {

QRgb helperPattern(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, 0xc8);
}

using TestSupport::HelperWindow;

// left, right, top, bottom
QList<int> frameExtents(quint32 window)
{
    const QString out = QString::fromLocal8Bit(TestSupport::runProgram(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS")}));
    QList<int> extents;
    for (const QRegularExpressionMatch &m :
        QRegularExpression(QStringLiteral("\\d+")).globalMatch(out.section('=', 1)))
        extents.append(m.captured().toInt());
    return extents;
}

// Pixels of the helper's client area that differ from its pattern in a
// capture of its frame with `extents`.
qint64 clientMismatches(const QImage &image, const QList<int> &extents, const QSize &client)
{
    qint64 wrong = 0;
    for (int y = 0; y < client.height(); ++y) {
        for (int x = 0; x < client.width(); ++x)
            wrong += image.pixel(extents[0] + x, extents[2] + y) != helperPattern(x, y);
    }
    return wrong;
}

class CaptureX11WindowTest : public ::testing::Test
{
protected:
    // Windows front to back, once the window manager has settled them.
    QList<WindowInfo> listWhere(const std::function<bool(const QList<WindowInfo> &)> &condition)
    {
        QList<WindowInfo> list;
        const bool met = TestSupport::waitUntil([&] {
            list = windows.frontToBack().value_or(QList<WindowInfo>{});
            return condition(list);
        });
        EXPECT_TRUE(met) << "windows never settled; " << list.size() << " listed";
        return list;
    }

    static QString messageOf(QFuture<CaptureResult> future)
    {
        try {
            future.result();
        } catch (const Error &error) {
            return error.message();
        }
        return QStringLiteral("(no error)");
    }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    CaptureService service{displays, grabber, windows};
    const qint64 ownPid = QCoreApplication::applicationPid();
};

TEST_F(CaptureX11WindowTest, FrontmostOtherWindowComesWithItsFrameAndItsCoveredPart)
{
    HelperWindow target(QStringLiteral(CAPTURE_TEST_WINDOW), {QStringLiteral("300x200+100+120")});
    listWhere([&](const auto &l) {
        return !l.isEmpty() && l.front().number == target.id && frameExtents(target.id).size() == 4;
    });

    // In front of it: a window of our own over its lower right part, and a
    // 30-pixel window of another process; neither may be chosen.
    QWidget cover;
    cover.setStyleSheet(QStringLiteral("background: magenta"));
    cover.setGeometry(250, 220, 300, 200);
    cover.show();
    HelperWindow small(QStringLiteral(CAPTURE_TEST_WINDOW), {QStringLiteral("30x30+700+500")});
    const QList<WindowInfo> list = listWhere([&](const auto &l) {
        return l.size() >= 3 && l[0].number == small.id && l[1].ownerPid == ownPid
            && l[2].number == target.id;
    });
    ASSERT_GE(list.size(), 3);
    ASSERT_LE(list[0].bounds->width(), 50);

    // The scenario holds: on screen, the cover hides part of the target.
    TestSupport::waitUntil([&] {
        return grabber.grabArea({400, 300, 1, 1}).pixel(0, 0) == qRgb(255, 0, 255);
    });
    ASSERT_EQ(grabber.grabArea({400, 300, 1, 1}).pixel(0, 0), qRgb(255, 0, 255));

    const CaptureResult result = service.captureWindow().result();
    if (qEnvironmentVariableIsSet("CAPTURE_TEST_SAVE"))
        result.image.save(qEnvironmentVariable("CAPTURE_TEST_SAVE"));
    const QList<int> e = frameExtents(target.id);
    ASSERT_EQ(e.size(), 4);
    EXPECT_GT(e[2], 0) << "openbox gave the window no title bar";
    ASSERT_EQ(result.image.size(), QSize(300 + e[0] + e[1], 200 + e[2] + e[3]));
    EXPECT_EQ(result.mode, CaptureMode::window);
    EXPECT_EQ(result.displayID, displays.mainDisplayID());

    EXPECT_EQ(clientMismatches(result.image, e, {300, 200}), 0) << "the covered part included";

    // The title bar is not covered: it must be what the screen shows.
    const QRect frame = *list[2].bounds;
    const QImage titleOnScreen = grabber.grabArea(QRect(frame.topLeft(), QSize(frame.width(), e[2])));
    EXPECT_EQ(result.image.copy(0, 0, frame.width(), e[2]), titleOnScreen);
}

TEST_F(CaptureX11WindowTest, OnlyOwnWindowsLeaveNothingToCapture)
{
    QWidget own;
    own.setGeometry(100, 100, 400, 300);
    own.show();
    const QList<WindowInfo> list = listWhere([&](const auto &l) {
        return !l.isEmpty()
            && std::all_of(l.begin(), l.end(), [&](const WindowInfo &w) { return w.ownerPid == ownPid; });
    });
    EXPECT_EQ(
        messageOf(service.captureWindow()), "No capturable window found. Make sure another app is in front.");

    // Without _NET_WM_PID the owner is found through the X server's client records.
    TestSupport::runProgram(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(own.winId()), QStringLiteral("-remove"),
            QStringLiteral("_NET_WM_PID")});
    EXPECT_EQ(windows.frontToBack()->front().ownerPid, ownPid);
    EXPECT_EQ(
        messageOf(service.captureWindow()), "No capturable window found. Make sure another app is in front.");
}

// Compositing managers unredirect full-screen windows for speed, leaving no
// pixmap to read; the grab then redirects the window itself.
TEST_F(CaptureX11WindowTest, WindowTheCompositingManagerLeftUnredirectedIsStillRead)
{
    if (X11CompositingManager().isRunning())
        GTEST_SKIP() << "a real compositing manager runs";
    HelperWindow compositor(QStringLiteral(IDLE_COMPOSITOR), {});
    ASSERT_NE(compositor.id, 0u) << "the stand-in did not take the selection";
    HelperWindow target(QStringLiteral(CAPTURE_TEST_WINDOW), {QStringLiteral("200x150+300+200")});
    listWhere([&](const auto &l) {
        return !l.isEmpty() && l.front().number == target.id && frameExtents(target.id).size() == 4;
    });
    QFuture<CaptureResult> capture = service.captureWindow();
    ASSERT_EQ(messageOf(capture).toStdString(), "(no error)");
    const QImage image = capture.result().image;
    const QList<int> e = frameExtents(target.id);
    ASSERT_EQ(image.size(), QSize(200 + e[0] + e[1], 150 + e[2] + e[3]));
    EXPECT_EQ(clientMismatches(image, e, {200, 150}), 0);
}

} // namespace
