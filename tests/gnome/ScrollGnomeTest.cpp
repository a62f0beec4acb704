#include "capture/PanelMarker.h"
#include "capture/ScreenCastFrames.h"
#include "gnome/GnomeQuillet.h"
#include "support/TestWindowContent.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstring>

#include <optional>

using namespace GnomeTestSupport;

// Scrolling capture on GNOME Wayland, end to end: a long page in a Qt window
// of another process, selected on quillet's overlay, recorded from the
// portal's screen cast while the compositor turns the wheel, and saved as
// the page's own rows. One session for every case; the first case is the
// first capture of the session's user, so it meets GNOME's Share dialog.
namespace {

constexpr int PageHeight = 3000;
constexpr int Step = 40; // rows per notch of the wheel
const QSize WindowSize(400, 600);

// Where the top left pixel of `page` is on `screen`: the first run of its
// top row found there.
std::optional<QPoint> locate(const QImage &screen, const QImage &page)
{
    const QRgb first = page.pixel(0, 0);
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x + 32 <= screen.width(); ++x) {
            if (screen.pixel(x, y) != first)
                continue;
            bool row = true;
            for (int i = 1; i < 32 && row; ++i)
                row = screen.pixel(x + i, y) == page.pixel(i, 0);
            if (row)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// The panel's controls, left to right (Start, Done, Cancel, the count):
// the stretches of its middle row that are not its marked background.
QList<QRect> controlsOf(const QImage &screen, const QRect &panel)
{
    QList<QRect> controls;
    const int y = panel.center().y();
    const auto marked = [&](int x) {
        return ((screen.pixel(x, y) ^ screen.pixel(x - 1, y)) & 0xffffffu) == 1u
            || ((screen.pixel(x, y) ^ screen.pixel(x + 1, y)) & 0xffffffu) == 1u;
    };
    int start = -1;
    for (int x = panel.left() + 2; x < panel.right() - 1; ++x) {
        if (!marked(x) && start < 0)
            start = x;
        if (marked(x) && start >= 0) {
            if (x - start > 8)
                controls.append(QRect(start, panel.top(), x - start, panel.height()));
            start = -1;
        }
    }
    return controls;
}

class ScrollGnomeTest : public GnomeSessionTest
{
protected:
    void TearDown() override
    {
        closePage();
        GnomeSessionTest::TearDown();
    }

    static QImage screen() { return pixels(shellScreenshot()); }
    // Ends the page and waits until it left the screen, so that the next
    // one is never found where this one was.
    void closePage()
    {
        if (m_page.state() == QProcess::NotRunning)
            return;
        m_page.kill();
        m_page.waitForFinished();
        EXPECT_TRUE(TestSupport::waitUntil([&] { return !locate(screen(), m_content); }));
    }
    // Shows the page scrolled to its top and returns where it is on the screen.
    std::optional<QPoint> showPage()
    {
        m_page.start(QStringLiteral(TEST_WINDOW),
            {QStringLiteral("%1x%2+0+0").arg(WindowSize.width()).arg(WindowSize.height()), QString::number(Step),
                QString::number(PageHeight)});
        std::optional<QPoint> origin;
        TestSupport::waitUntil([&] { return (origin = locate(screen(), m_content)).has_value(); });
        return origin;
    }
    // Selects `area` on the overlay of a scroll capture; the panel's box.
    std::optional<QRect> select(const QRect &area)
    {
        const QImage before = screen();
        EXPECT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("scroll")}), 0);
        // The overlay dims the frozen screen: the page and the far corner darken.
        const QPoint corner(before.width() - 5, before.height() - 5);
        EXPECT_TRUE(TestSupport::waitUntil([&] {
            const QImage now = screen();
            return now.pixel(area.center()) != before.pixel(area.center()) && now.pixel(corner) != before.pixel(corner);
        })) << "no overlay";
        EXPECT_TRUE(s_input->drag(area.topLeft(), area.topLeft() + QPoint(area.width(), area.height())));
        std::optional<QRect> panel;
        TestSupport::waitUntil([&] { return (panel = PanelMarker::find(screen())).has_value(); });
        return panel;
    }
    // The panel's count, as pixels: it changes when a frame was taken.
    static QImage countOn(const QRect &panel)
    {
        const QImage now = screen();
        const QList<QRect> controls = controlsOf(now, panel);
        return controls.size() == 4 ? now.copy(controls[3]) : QImage();
    }
    // Waits until quillet took a frame of the page at its top: a notch up
    // there moves nothing but repaints the page, until the count changes.
    // A change means a frame was taken, and every frame so far shows the top.
    static bool frameOfTheTop(const QRect &panel)
    {
        return TestSupport::waitUntil([&] {
            const QImage before = countOn(panel);
            return !before.isNull() && s_input->wheel(-1)
                && TestSupport::waitUntil(
                    [&] { return countOn(panel) != before; }, std::chrono::seconds(3));
        }, std::chrono::seconds(90));
    }
    // Turns the wheel over the page by each burst of notches in turn, sent
    // back to back, and after each waits until the page shows it and the
    // count moved on. The last picture of a burst may be taken only after
    // the next burst began: two bursts together stay inside the selection,
    // so those frames still overlap.
    void scroll(const QRect &panel, const QList<int> &bursts, int &notches)
    {
        for (const int burst : bursts) {
            const QImage before = countOn(panel);
            for (int i = 0; i < burst; ++i)
                ASSERT_TRUE(s_input->wheel(1));
            notches += burst;
            const QImage top = m_content.copy(0, notches * Step, 32, 1);
            ASSERT_TRUE(TestSupport::waitUntil([&] { return locate(screen(), top).has_value(); }))
                << "the page did not move to notch " << notches;
            ASSERT_TRUE(TestSupport::waitUntil([&] { return countOn(panel) != before; }))
                << "no frame after notch " << notches;
        }
    }
    // A whole capture of `area` (in the page's window) over `bursts`, ended
    // with the panel's Done; the saved image against the page.
    void recordAndCheck(const QRect &area, const QList<int> &bursts)
    {
        const std::optional<QPoint> origin = showPage();
        ASSERT_TRUE(origin) << "the page never showed";
        const QRect onScreen = area.translated(*origin);
        const std::optional<QRect> panel = select(onScreen);
        ASSERT_TRUE(panel) << "no panel";
        QList<QRect> controls = controlsOf(screen(), *panel);
        ASSERT_GE(controls.size(), 3);
        ASSERT_TRUE(s_input->click(controls[0].center())); // Start
        ASSERT_TRUE(s_input->moveTo(onScreen.center()));
        ASSERT_TRUE(frameOfTheTop(*panel)) << "no first frame";
        int notches = 0;
        scroll(*panel, bursts, notches);
        controls = controlsOf(screen(), *panel);
        ASSERT_GE(controls.size(), 2);
        ASSERT_TRUE(s_input->click(controls[1].center())); // Done
        const QStringList saved = s_quillet->waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        const QImage image = pixels(QImage(saved.first()));
        const QImage expected = m_content.copy(area.x(), area.y(), area.width(), area.height() + notches * Step);
        ASSERT_EQ(image.size(), expected.size());
        EXPECT_TRUE(image == expected) << "the saved image is not the page: " << rowsDiffering(image, expected);
        EXPECT_EQ(PanelMarker::find(image), std::nullopt) << "the panel is in the image";
    }

    // Where a saved page differs from the true one, for a failure read from
    // a log alone: which rows, and the page row the first of them shows.
    static std::string rowsDiffering(const QImage &image, const QImage &expected)
    {
        const auto same = [&](int row, int pageRow) {
            return std::memcmp(image.constScanLine(row), expected.constScanLine(pageRow), size_t(image.bytesPerLine())) == 0;
        };
        QList<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            if (!same(y, y))
                rows.append(y);
        }
        if (rows.isEmpty())
            return "no row differs";
        int shows = -1;
        for (int y = 0; y < expected.height() && shows < 0; ++y) {
            if (same(rows.first(), y))
                shows = y;
        }
        return QStringLiteral("%1 of %2 rows differ, from %3 to %4; row %3 is page row %5")
            .arg(rows.size()).arg(image.height()).arg(rows.first()).arg(rows.last()).arg(shows).toStdString();
    }

    QImage m_content = TestWindowContent::scrollPage(WindowSize.width(), PageHeight);
    QProcess m_page;
};

// The user's first scrolling capture asks which screen to share; the answer
// is kept, and the next capture starts without asking.
TEST_F(ScrollGnomeTest, TheShareDialogComesOnceAndItsAnswerIsKept)
{
    const std::optional<QPoint> origin = showPage();
    ASSERT_TRUE(origin);
    const QRect onScreen = QRect(20, 40, 300, 200).translated(*origin);
    const std::optional<QRect> panel = select(onScreen);
    ASSERT_TRUE(panel);
    const QImage armed = screen();
    ASSERT_TRUE(s_input->click(controlsOf(armed, *panel).value(0).center()));
    // GNOME's dialog sits in the middle of the screen: its one display, then Share.
    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return screen().pixel(middle) != armed.pixel(middle); }))
        << "no Share dialog";
    const QPoint display = middle + QPoint(-140, 41), share = middle + QPoint(211, -112);
    const QImage asked = screen();
    // Share turns from pale to solid once the display is chosen.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return s_input->click(display) && screen().pixel(share) != asked.pixel(share);
    }, std::chrono::seconds(90))) << "the display could not be chosen";
    ASSERT_TRUE(s_input->click(share));
    ASSERT_TRUE(s_input->moveTo(onScreen.center()));
    ASSERT_TRUE(frameOfTheTop(*panel)) << "no frame after the dialog was answered";
    ASSERT_TRUE(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("scroll")}) == 0); // Done
    ASSERT_EQ(s_quillet->waitForFiles(1).size(), 1);
    const QJsonObject stored = TestSupport::readJsonFile(
        sessionHome() + QStringLiteral("/.config/quillet/defaults.json"));
    EXPECT_FALSE(stored.value(QString::fromLatin1(ScreenCastFrames::RestoreTokenKey)).toString().isEmpty());
    closePage();
    s_quillet->removeFiles();
    // The next capture records without any dialog.
    recordAndCheck(QRect(20, 40, 300, 200), {1});
}

TEST_F(ScrollGnomeTest, ThePageIsSavedWhetherTheWheelTurnsSteadilyUnevenlyOrInBursts)
{
    // Without the dialog's answer from the case before, the session's seeded one.
    const QString key = QString::fromLatin1(ScreenCastFrames::RestoreTokenKey);
    if (TestSupport::readJsonFile(sessionHome() + QStringLiteral("/.config/quillet/defaults.json")).value(key).isUndefined()) {
        s_quillet->stop();
        ASSERT_TRUE(s_quillet->start({{key, qEnvironmentVariable("QUILLET_TEST_SCREENCAST_TOKEN")}}));
    }
    const std::pair<const char *, QList<int>> cases[] = {
        {"steady", {1, 1, 1, 1, 1, 1, 1, 1}},
        {"uneven", {1, 3, 2, 1, 3, 2}},
        {"bursty", {3, 3, 3, 3}},
    };
    for (const auto &[rate, bursts] : cases) {
        SCOPED_TRACE(rate);
        s_quillet->removeFiles();
        recordAndCheck(QRect(30, 60, 320, 300), bursts);
        closePage();
    }
}

} // namespace
