#include "capture/CaptureError.h"
#include "capture/CountdownOverlay.h"
#include "fakes/Fixtures.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

// Windows under openbox, run with and without a compositing manager.
namespace {

using X11TestSupport::frameExtents;
using X11TestSupport::HelperWindow;

class CaptureX11WindowTest : public ::testing::Test, public X11TestSupport::X11Capture
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
    // Waits until `target` is in front and framed; returns its frame's
    // left, right, top and bottom widths.
    QList<int> framedInFront(const HelperWindow &target)
    {
        listWhere([&](const auto &l) {
            return !l.isEmpty() && l.front().number == target.id && frameExtents(target.id).size() == 4;
        });
        return frameExtents(target.id);
    }
    // The capture is the frame around the helper's pattern, the covered part included.
    static void expectFramedPattern(const QImage &image, QSize client, const QList<int> &e)
    {
        ASSERT_EQ(e.size(), 4);
        ASSERT_EQ(image.size(), client + QSize(e[0] + e[1], e[2] + e[3]));
        EXPECT_TRUE(image.copy(QRect({e[0], e[2]}, client)).convertToFormat(QImage::Format_RGB32)
            == TestWindowContent::pattern(client));
    }

    const qint64 ownPid = QCoreApplication::applicationPid();
};

TEST_F(CaptureX11WindowTest, FrontmostOtherWindowComesWithItsFrameAndItsCoveredPart)
{
    HelperWindow target(QStringLiteral("300x200+100+120"));
    ASSERT_TRUE(target.shown);
    const QList<int> e = framedInFront(target);
    ASSERT_EQ(e.size(), 4);
    EXPECT_GT(e[2], 0) << "openbox gave the window no title bar";
    const QRect titleBar(target.origin - QPoint(e[0], e[2]), QSize(300 + e[0] + e[1], e[2]));
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
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(
        titleBar, [&](const QImage &s) { return s != focusedTitleBar; }));
    const CaptureResult result = capture.captureWindow().result();
    expectFramedPattern(result.image, {300, 200}, e);
    EXPECT_EQ(result.displayID, displays.mainDisplayID());
    // The title bar is not covered: it must be what the screen shows.
    EXPECT_TRUE(result.image.copy({{}, titleBar.size()}).convertToFormat(QImage::Format_RGB32)
        == X11TestSupport::grabScreen(titleBar));
}

TEST_F(CaptureX11WindowTest, OnlyOwnWindowsLeaveNothingToCapture)
{
    QWidget own;
    own.setGeometry(100, 100, 400, 300);
    own.show();
    listWhere([&](const auto &l) {
        return !l.isEmpty()
            && std::all_of(l.begin(), l.end(), [&](const WindowInfo &w) { return w.ownerPid == ownPid; });
    });
    // Without _NET_WM_PID the owner is found through the X server's client records.
    for (const bool withPid : {true, false}) {
        SCOPED_TRACE(withPid);
        if (!withPid) {
            TestSupport::runProgram(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(own.winId()), QStringLiteral("-remove"),
                    QStringLiteral("_NET_WM_PID")});
        }
        EXPECT_EQ(windows.frontToBack()->front().ownerPid, ownPid);
        try {
            capture.captureWindow().result();
            ADD_FAILURE() << "captured a window of our own";
        } catch (const CaptureFailure &failure) {
            EXPECT_EQ(failure.error(), CaptureError::windowNotFound);
        }
    }
}

// Compositing managers unredirect full-screen windows for speed, leaving no
// pixmap to read; the grab then redirects the window itself.
TEST_F(CaptureX11WindowTest, WindowTheCompositingManagerLeftUnredirectedIsStillRead)
{
    if (X11CompositingManager().isRunning())
        GTEST_SKIP() << "a real compositing manager runs";
    QProcess compositor;
    compositor.start(QStringLiteral(IDLE_COMPOSITOR), {});
    // It prints its window once it owns the compositing manager's selection.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return compositor.canReadLine(); }))
        << "the stand-in did not take the selection";
    HelperWindow target(QStringLiteral("200x150+300+200"));
    ASSERT_TRUE(target.shown);
    const QList<int> e = framedInFront(target);
    expectFramedPattern(capture.captureWindow().result().image, {200, 150}, e);
    compositor.kill();
    compositor.waitForFinished();
}

} // namespace

namespace {

// The openbox of this test's display (other tests run their own).
std::optional<pid_t> windowManagerPid()
{
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY");
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(entry)), environ(QStringLiteral("/proc/%1/environ").arg(entry));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "openbox"
            && environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(display))
            return pid_t(entry.toInt());
    }
    return std::nullopt;
}

// The picture a countdown ends in has no badge, even while the window
// manager is too busy to act: a managed badge sat in a frame of openbox's,
// which kept showing the badge until openbox had caught up.
TEST_F(CaptureX11WindowTest, TheCountdownsPictureHasNoBadgeWhileTheWindowManagerLags)
{
    if (compositing.isRunning())
        GTEST_SKIP() << "a compositing manager repaints the screen in its own time";
    const QRect root = QGuiApplication::primaryScreen()->geometry();
    ASSERT_TRUE(X11TestSupport::paintRootPattern(root.size()));
    const int size = CountdownOverlay::BadgeSize;
    const QRect badge(root.x() + (root.width() - size) / 2, root.y() + (root.height() - size) / 2, size, size);
    CountdownOverlay countdown(panelContext(false));
    QImage shot;
    countdown.start(1, [&] {
        displays.sync();
        shot = X11TestSupport::grabScreen(badge);
    });
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(
        badge, [](const QImage &s) { return s.pixel(15, s.height() / 2) == qRgb(0, 0, 0); }))
        << "the badge never showed";
    const std::optional<pid_t> openbox = windowManagerPid();
    ASSERT_TRUE(openbox);
    ::kill(*openbox, SIGSTOP);
    countdown.tick();
    ::kill(*openbox, SIGCONT);
    EXPECT_EQ(X11TestSupport::patternMismatches(shot, badge), 0) << "the badge is in the picture";
}

} // namespace
