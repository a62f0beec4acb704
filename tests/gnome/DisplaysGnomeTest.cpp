#include "gnome/GnomeQuillet.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

using namespace GnomeTestSupport;

// Two displays of different sizes side by side (with-gnome --size twice):
// pictures are cut at the right place of the layout, and a fullscreen
// capture takes the display the user is on by a rule that never rests on
// a stale pointer position.
class DisplaysGnomeTest : public ::testing::Test
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
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        s_quillet->removeFiles();
    }
    void TearDown() override
    {
        if (HasFailure())
            std::cerr << "quillet's output:\n" << s_quillet->output().constData() << std::endl;
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
    static bool runCapture(const char *mode)
    {
        return GnomeQuillet::run({QStringLiteral("--capture"), QString::fromLatin1(mode)}) == 0;
    }

    static inline GnomeQuillet *s_quillet = nullptr;
    static inline RemoteInput *s_input = nullptr;
};

TEST_F(DisplaysGnomeTest, RegionDraggedOnTheSecondDisplayIsExactlyWhatItShowed)
{
    ASSERT_TRUE(s_input->moveTo(second().center()));
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_TRUE(runCapture("region"));
    ASSERT_TRUE(GnomeQuillet::waitForOverlays(before)) << "no overlay on the second display";
    // Near the display's left edge, where a misplaced cut shows the first
    // display's pixels.
    const QRect region(second().topLeft() + QPoint(3, 20), QSize(500, 300));
    ASSERT_TRUE(s_input->drag(region.topLeft(), region.topLeft() + QPoint(region.width(), region.height())));
    const QStringList saved = s_quillet->waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    const QImage shot = pixels(QImage(saved.first()));
    EXPECT_EQ(shot.size(), region.size());
    EXPECT_EQ(shot, before.copy(region)) << "the region differs from the compositor's picture";
}

TEST_F(DisplaysGnomeTest, FullscreenTakesThePrimaryDisplayWhereThePointerIsNotKnown)
{
    // The pointer was last seen by quillet on the second display, over its
    // overlay; it has moved on since, over nothing of quillet's.
    const QImage before = GnomeQuillet::stillScreen();
    ASSERT_TRUE(s_input->moveTo(second().center()));
    ASSERT_TRUE(runCapture("region"));
    ASSERT_TRUE(GnomeQuillet::waitForOverlays(before));
    ASSERT_TRUE(s_input->moveTo(second().center() + QPoint(10, 10)));
    ASSERT_TRUE(s_input->keys({Keysym::Escape}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return GnomeQuillet::stillScreen() == before; })) << "the overlay stayed";

    for (const QPoint pointer : {primary().center(), second().center()}) {
        s_quillet->removeFiles();
        ASSERT_TRUE(s_input->moveTo(pointer));
        const QImage now = GnomeQuillet::stillScreen();
        ASSERT_TRUE(runCapture("fullscreen"));
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(pixels(QImage(saved.first())), now.copy(primary())) << "pointer at " << pointer.x();
    }
}

// Run last: the session keeps the new primary display.
TEST_F(DisplaysGnomeTest, FullscreenFollowsThePrimaryDisplayTheUserChoseInGnome)
{
    QString secondName;
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == second())
            secondName = screen->name();
    }
    ASSERT_EQ(QProcess::execute(QStringLiteral(GNOME_SUPPORT_DIR "/set-primary-monitor"), {secondName}), 0);
    // The pointer over nothing of quillet's, on the display Qt calls primary.
    ASSERT_TRUE(s_input->moveTo(primary().center()));
    const QImage now = GnomeQuillet::stillScreen();
    // Quillet hears of the change on its own time: a capture may still come
    // from before it.
    QImage shot;
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        s_quillet->removeFiles();
        if (!runCapture("fullscreen") || s_quillet->waitForFiles(1).isEmpty())
            return false;
        shot = pixels(QImage(s_quillet->files().first()));
        return shot.size() == second().size();
    })) << "the capture stayed on " << shot.width() << "x" << shot.height();
    EXPECT_EQ(shot, now.copy(second()));
}
