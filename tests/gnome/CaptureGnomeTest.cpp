#include "gnome/GnomeQuillet.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace GnomeTestSupport;

// Captures on GNOME Wayland through the Screenshot portal, one session for
// every case: what quillet saves equals the compositor's own picture.
class CaptureGnomeTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_quillet = new GnomeQuillet;
        ASSERT_TRUE(s_quillet->start());
        s_input = RemoteInput::open().release();
        ASSERT_NE(s_input, nullptr);
    }
    static void TearDownTestSuite()
    {
        delete s_input;
        delete s_quillet;
    }
    void SetUp() override { s_quillet->removeFiles(); }
    void TearDown() override
    {
        if (HasFailure())
            std::cerr << "quillet's output:\n" << s_quillet->output().constData() << std::endl;
    }

    // The screen while nothing of quillet's shows. The top bar's clock may
    // turn over between two pictures: a picture is taken until two agree.
    static QImage stillScreen()
    {
        QImage last;
        QImage found;
        TestSupport::waitUntil([&] {
            const QImage now = pixels(shellScreenshot());
            if (!now.isNull() && now == last)
                found = now;
            last = now;
            return !found.isNull();
        });
        return found;
    }
    // Waits until an overlay covers the screen: its corners differ from
    // `before` and the picture has settled.
    static bool waitForOverlay(const QImage &before)
    {
        QImage last;
        return TestSupport::waitUntil([&] {
            const QImage now = pixels(shellScreenshot());
            const QPoint far(now.width() - 5, now.height() - 5);
            const bool covered = !now.isNull() && now.pixel(5, 40) != before.pixel(5, 40)
                && now.pixel(far) != before.pixel(far);
            const bool settled = covered && now == last;
            last = now;
            return settled;
        });
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

    static inline GnomeQuillet *s_quillet = nullptr;
    static inline RemoteInput *s_input = nullptr;
};

TEST_F(CaptureGnomeTest, FullscreenCommandSavesTheWholeScreenAsTheCompositorShowsIt)
{
    const QImage before = stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    const QStringList saved = s_quillet->waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    const QImage shot = pixels(QImage(saved.first()));
    EXPECT_EQ(shot.size(), QGuiApplication::primaryScreen()->size());
    EXPECT_TRUE(shot == before || shot == stillScreen()) << "the saved screen differs from the compositor's";
    EXPECT_EQ(portalLeftovers(), QStringList());
}

TEST_F(CaptureGnomeTest, DISABLED_RegionDraggedOnTheOverlayIsSavedFromWhatTheUserSaw)
{
    const QImage before = stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("region")}), 0);
    // The overlay shows the frozen screen dimmed: the screen changes everywhere.
    ASSERT_TRUE(waitForOverlay(before)) << "no overlay covered the screen";
    // Across the top bar's text, so that a misplaced region shows.
    const QRect region(QPoint(20, 4), QSize(400, 300));
    ASSERT_TRUE(s_input->drag(region.topLeft(), region.topLeft() + QPoint(region.width(), region.height())));
    const QStringList saved = s_quillet->waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(pixels(QImage(saved.first())), before.copy(region)) << "the region is not what the screen showed";
    // And the overlay is gone from the screen again.
    EXPECT_TRUE(TestSupport::waitUntil([&] { return stillScreen() == before; }));
    EXPECT_EQ(portalLeftovers(), QStringList());
}

TEST_F(CaptureGnomeTest, DISABLED_EscapeOnTheOverlayCancelsWithoutAFileOrATrace)
{
    const QImage before = stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("region")}), 0);
    ASSERT_TRUE(waitForOverlay(before)) << "no overlay covered the screen";
    ASSERT_TRUE(s_input->keys({Keysym::Escape}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return stillScreen() == before; })) << "the overlay stayed";
    // The next capture's file is the only one: the cancelled one wrote none.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    s_quillet->waitForFiles(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(s_quillet->files().size(), 1);
    EXPECT_EQ(pixels(QImage(s_quillet->files().first())), before) << "the overlay left a trace";
}

TEST_F(CaptureGnomeTest, WindowCaptureSaysPlainlyThatThisDesktopHasNone)
{
    const QImage before = stillScreen();
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("window")}), 0);
    // An alert comes up in front...
    ASSERT_TRUE(TestSupport::waitUntil([&] { return pixels(shellScreenshot()) != before; })) << "no alert";
    // ...and goes with Return, leaving no file behind.
    ASSERT_TRUE(s_input->keys({Keysym::Return}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return stillScreen() == before; }));
    EXPECT_TRUE(s_quillet->files().isEmpty());
    EXPECT_TRUE(s_quillet->isRunning());
}
