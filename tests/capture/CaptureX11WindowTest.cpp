#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

// Windows under openbox, run with and without a compositing manager.
namespace {

using X11TestSupport::HelperWindow;

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
    CaptureService service{nullptr, displays, grabber, windows};
    const qint64 ownPid = QCoreApplication::applicationPid();
};

TEST_F(CaptureX11WindowTest, FrontmostOtherWindowComesWithItsFrameAndItsCoveredPart)
{
    HelperWindow target(QStringLiteral("300x200+100+120"));
    ASSERT_TRUE(target.shown);
    const QList<WindowInfo> alone = listWhere([&](const auto &l) {
        return !l.isEmpty() && l.front().number == target.id && frameExtents(target.id).size() == 4;
    });
    ASSERT_FALSE(alone.isEmpty());
    const QList<int> e = frameExtents(target.id);
    ASSERT_EQ(e.size(), 4);
    EXPECT_GT(e[2], 0) << "openbox gave the window no title bar";
    const QRect titleBar(alone.front().bounds->topLeft(), QSize(alone.front().bounds->width(), e[2]));
    ASSERT_TRUE(target.waitForFocus());
    const QImage focusedTitleBar = X11TestSupport::grabScreen(titleBar);

    // In front of it: a window of our own over its lower right part, and a
    // 30-pixel window of another process; neither may be chosen.
    QWidget cover;
    cover.setStyleSheet(QStringLiteral("background: magenta"));
    cover.setGeometry(250, 220, 300, 200);
    cover.show();
    HelperWindow small(QStringLiteral("30x30+700+500"));
    const QList<WindowInfo> list = listWhere([&](const auto &l) {
        return l.size() >= 3 && l[0].number == small.id && l[1].ownerPid == ownPid
            && l[2].number == target.id;
    });
    ASSERT_GE(list.size(), 3);
    ASSERT_LE(list[0].bounds->width(), 50);

    // The scenario holds: on screen, the cover hides part of the target,
    // whose title bar the window manager has redrawn as it lost the focus.
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(
        {400, 300, 1, 1}, [](const QImage &s) { return s.pixel(0, 0) == qRgb(255, 0, 255); }));
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(titleBar, [&](const QImage &s) { return s != focusedTitleBar; }));

    const CaptureResult result = service.captureWindow().result();
    if (qEnvironmentVariableIsSet("CAPTURE_TEST_SAVE"))
        result.image.save(qEnvironmentVariable("CAPTURE_TEST_SAVE"));
    ASSERT_EQ(result.image.size(), QSize(300 + e[0] + e[1], 200 + e[2] + e[3]));
    EXPECT_EQ(result.mode, CaptureMode::window);
    EXPECT_EQ(result.displayID, displays.mainDisplayID());

    EXPECT_TRUE(result.image.copy(e[0], e[2], 300, 200).convertToFormat(QImage::Format_RGB32)
        == TestWindowContent::pattern({300, 200}))
        << "client pixels differ, the covered part included";

    // The title bar is not covered: it must be what the screen shows.
    EXPECT_TRUE(result.image.copy({{}, titleBar.size()}).convertToFormat(QImage::Format_RGB32)
        == X11TestSupport::grabScreen(titleBar));
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

} // namespace
