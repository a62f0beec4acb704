#include "gnome/GnomeQuillet.h"

#include "platform/wayland/WaylandDesktop.h"

#include <QDir>
#include <QProcess>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace GnomeTestSupport;

// Captures on GNOME Wayland through the Screenshot portal, one session for
// every case, on two displays of different sizes side by side: what quillet
// saves equals the compositor's own picture.
class CaptureGnomeTest : public GnomeSessionTest
{
protected:
    void SetUp() override
    {
        GnomeSessionTest::SetUp();
        // The pointer rests on the empty desktop: over the top bar it would
        // light up what it hovers, in one picture and not the next.
        ASSERT_TRUE(s_input->moveTo(QGuiApplication::primaryScreen()->geometry().center()));
    }
    // The portal writes its picture into the user's folders; quillet must
    // have taken every one away.
    static QStringList portalLeftovers()
    {
        QStringList found;
        for (const QString &folder : {sessionHome(), sessionHome() + QStringLiteral("/Pictures")})
            found += QDir(folder).entryList({QStringLiteral("Screenshot*.png")}, QDir::Files);
        return found;
    }

    static QRect primary() { return QGuiApplication::primaryScreen()->geometry(); }
    static QRect second()
    {
        for (const QScreen *screen : QGuiApplication::screens()) {
            if (screen != QGuiApplication::primaryScreen())
                return screen->geometry();
        }
        return {};
    }
    static bool run(const char *mode)
    {
        return GnomeQuillet::run({QStringLiteral("--capture"), QString::fromLatin1(mode)}) == 0;
    }

    static bool setAnimations(bool on)
    {
        return QProcess::execute(QStringLiteral("gsettings"),
                   {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                       QStringLiteral("enable-animations"), on ? QStringLiteral("true") : QStringLiteral("false")})
            == 0;
    }

};

TEST_F(CaptureGnomeTest, FullscreenCommandSavesTheWholeScreenAsTheCompositorShowsIt)
{
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    const QStringList saved = s_quillet->waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    // The main display alone, cut out of the portal's picture of both.
    const QRect main = QGuiApplication::primaryScreen()->geometry();
    const QImage shot = pixels(QImage(saved.first()));
    EXPECT_EQ(shot.size(), main.size());
    EXPECT_TRUE(shot == before.copy(main) || shot == GnomeQuillet::stillScreen().copy(main))
        << "the saved screen differs from the compositor's";
    EXPECT_EQ(portalLeftovers(), QStringList());
}

TEST_F(CaptureGnomeTest, RegionDraggedOnTheOverlayIsSavedFromWhatTheUserSaw)
{
    // Across the top bar's text, so that a misplaced region shows.
    for (const QRect region : {QRect(QPoint(20, 4), QSize(400, 300))}) {
        s_quillet->removeFiles();
        const QImage before = GnomeQuillet::stillScreen();
        ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("region")}), 0);
        // The overlay shows the frozen screen dimmed: the screen changes.
        ASSERT_TRUE(GnomeQuillet::waitForOverlays(before)) << "no overlay covered the screens";
        ASSERT_TRUE(s_input->drag(region.topLeft(), region.topLeft() + QPoint(region.width(), region.height())));
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(pixels(QImage(saved.first())), before.copy(region)) << "region not as shown at " << region.x();
        // And the overlays are gone from the screens again.
        EXPECT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; }));
    }
    EXPECT_EQ(portalLeftovers(), QStringList());
}

TEST_F(CaptureGnomeTest, DelayedCaptureLeavesTheCountdownOutOfThePicture)
{
    // The session runs without animations; a user's GNOME animates a
    // closing window, and the badge must be off the screen all the same.
    for (const bool animated : {true, false}) {
        ASSERT_TRUE(setAnimations(animated));
        s_quillet->removeFiles();
        const QRect main = QGuiApplication::primaryScreen()->geometry();
        const QImage before = GnomeQuillet::stillScreen();
        ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen"),
                      QStringLiteral("--delay"), QStringLiteral("1")}),
            0);
        EXPECT_TRUE(TestSupport::waitUntil([&] { return pixels(shellScreenshot()) != before; })) << "no countdown";
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        const QImage shot = pixels(QImage(saved.first()));
        const QImage after = GnomeQuillet::stillScreen();
        EXPECT_TRUE(shot == before.copy(main) || shot == after.copy(main))
            << "the countdown is in the picture (animated: " << animated << ")";
    }
    EXPECT_TRUE(setAnimations(false));
}

TEST_F(CaptureGnomeTest, EscapeOnTheOverlayCancelsWithoutAFileOrATrace)
{
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("region")}), 0);
    ASSERT_TRUE(GnomeQuillet::waitForOverlays(before)) << "no overlay covered the screen";
    ASSERT_TRUE(s_input->keys({Keysym::Escape}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; })) << "the overlay stayed";
    // The next capture's file is the only one: the cancelled one wrote none.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    s_quillet->waitForFiles(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(s_quillet->files().size(), 1);
    const QRect main = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(pixels(QImage(s_quillet->files().first())), before.copy(main)) << "the overlay left a trace";
}

TEST_F(CaptureGnomeTest, WindowCaptureSaysPlainlyThatThisDesktopHasNone)
{
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("window")}), 0);
    // An alert comes up in front...
    ASSERT_TRUE(TestSupport::waitUntil([&] { return pixels(shellScreenshot()) != before; })) << "no alert";
    // ...and goes with Return, leaving no file behind.
    ASSERT_TRUE(s_input->keys({Keysym::Return}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; }));
    EXPECT_TRUE(s_quillet->files().isEmpty());
    EXPECT_TRUE(s_quillet->isRunning());
}

TEST_F(CaptureGnomeTest, RegionDraggedOnTheSecondDisplayIsExactlyWhatItShowed)
{
    // Near the display's left edge, where a misplaced cut shows the first
    // display's pixels; the capture started with the pointer on either.
    const QRect region(second().topLeft() + QPoint(3, 20), QSize(500, 300));
    for (const QPoint start : {second().center(), primary().center()}) {
        s_quillet->removeFiles();
        ASSERT_TRUE(s_input->moveTo(start));
        const QImage before = GnomeQuillet::stillScreen();
        ASSERT_TRUE(run("region"));
        ASSERT_TRUE(GnomeQuillet::waitForOverlays(before));
        // Over to the second display below the top bar, as a hand would go:
        // GNOME bars the pointer from crossing between displays along it.
        ASSERT_TRUE(s_input->moveTo(second().center()));
        ASSERT_TRUE(s_input->drag(region.topLeft(), region.bottomRight() + QPoint(1, 1)));
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(pixels(QImage(saved.first())), before.copy(region)) << "started at " << start.x();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; }));
    }
}

TEST_F(CaptureGnomeTest, FullscreenTakesThePrimaryDisplayWhereThePointerIsNotKnown)
{
    // The pointer was last seen by quillet on the second display, over its
    // overlay; it has moved on since, over nothing of quillet's.
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_TRUE(s_input->moveTo(second().center()));
    ASSERT_TRUE(run("region"));
    ASSERT_TRUE(GnomeQuillet::waitForOverlays(before));
    ASSERT_TRUE(s_input->moveTo(second().center() + QPoint(10, 10)));
    ASSERT_TRUE(s_input->keys({Keysym::Escape}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; })) << "the overlay stayed";

    for (const QPoint pointer : {primary().center(), second().center()}) {
        s_quillet->removeFiles();
        ASSERT_TRUE(s_input->moveTo(pointer));
        const QImage now = GnomeQuillet::stillScreen();
        ASSERT_TRUE(run("fullscreen"));
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(pixels(QImage(saved.first())), now.copy(primary())) << "pointer at " << pointer.x();
    }
}

// In this process: GNOME says where the pointer is only while it is over a
// window of ours.
TEST_F(CaptureGnomeTest, ThePointersDisplayIsKnownOnlyOverAWindowOfOurs)
{
    WaylandKeyboardFocus focus(std::make_shared<WaylandOutputs>());
    QScreen *screen = QGuiApplication::screens().value(1);
    ASSERT_NE(screen, nullptr);
    QWidget window;
    window.setScreen(screen);
    window.setGeometry(screen->geometry());
    window.showFullScreen();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.width() == screen->geometry().width(); }));
    ASSERT_TRUE(s_input->moveTo(screen->geometry().center()));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return focus.screenUnderPointer() == screen; }));
    ASSERT_TRUE(s_input->moveTo(primary().center()));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return focus.screenUnderPointer() == nullptr; })) << "a stale display";
    ASSERT_TRUE(s_input->moveTo(screen->geometry().center()));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return focus.screenUnderPointer() == screen; }));
    window.hide();
    EXPECT_EQ(focus.screenUnderPointer(), nullptr) << "a window gone with the pointer on it";
}

// Run last: the session keeps the new primary display.
TEST_F(CaptureGnomeTest, FullscreenFollowsThePrimaryDisplayTheUserChoseInGnome)
{
    QString secondName;
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == second())
            secondName = screen->name();
    }
    ASSERT_EQ(QProcess::execute(QStringLiteral(GNOME_SUPPORT_DIR "/set-primary-monitor"), {secondName}), 0);
    // The pointer over nothing of quillet's, on the display Qt calls primary.
    ASSERT_TRUE(s_input->moveTo(primary().center()));
    // Quillet hears of the change, and GNOME moves its top bar over, each
    // in its own time: a capture may still come from before.
    QImage shot;
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        s_quillet->removeFiles();
        if (!run("fullscreen") || s_quillet->waitForFiles(1).isEmpty())
            return false;
        shot = pixels(QImage(s_quillet->files().first()));
        return shot == GnomeQuillet::stillScreen().copy(second());
    })) << "the capture is not the second display: " << shot.width() << "x" << shot.height();
}
