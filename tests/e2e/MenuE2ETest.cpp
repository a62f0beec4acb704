#include "e2e/QuilletE2E.h"

#include "support/X11TestSupport.h"

#include <QElapsedTimer>
#include <QMenu>

// The tray menu of the real program, opened and used as a user would.
namespace {

// The menu a user should see, built here with the same style and fonts: on
// the same display it draws pixel for pixel as the program's own does.
QImage expectedMenu()
{
    QMenu menu;
    for (const char *title : {"Capture Region  ⌥⇧⌘4", "Capture Scroll  ⌥⇧⌘5", "Capture Fullscreen  ⌥⇧⌘3",
             "Capture Window  ⌥⇧⌘6"})
        menu.addAction(QString::fromUtf8(title));
    QMenu *delayed = menu.addMenu(QStringLiteral("Capture with Delay"));
    for (const char *mode : {"Region", "Fullscreen", "Window"}) {
        if (!delayed->isEmpty())
            delayed->addSeparator();
        for (const char *seconds : {"3", "5"})
            delayed->addAction(QStringLiteral("%1 seconds → %2").arg(QLatin1String(seconds), QLatin1String(mode)));
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Open Save Folder"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Settings…"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Quit Quillet"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menu.adjustSize();
    return menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(QuilletE2E, TheTrayMenuOffersEveryCaptureAndADelayedOneLeavesTheMenuOutOfThePicture)
{
    ASSERT_TRUE(start());
    const auto icon = trayIcon();
    ASSERT_TRUE(icon);
    const QRect iconArea = geometryOf(*icon);
    xdotool({"mousemove", QString::number(iconArea.center().x()), QString::number(iconArea.center().y())});
    const QImage screen = grabScreenWithImageMagick();

    xdotool({"click", "1"});
    std::optional<quint32> menu;
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const QList<quint32> shown = visibleWindows();
        menu = shown.size() == 2 ? std::optional(shown[0] == *icon ? shown[1] : shown[0]) : std::nullopt;
        return bool(menu);
    })) << "no menu opened";
    const QImage expected = expectedMenu();
    EXPECT_TRUE(X11TestSupport::waitUntilScreenShows(geometryOf(*menu).topLeft(), expected))
        << "the menu does not show the expected items";

    // Capture with Delay, then its third item past a separator: 3 seconds → Fullscreen.
    xdotool({"key", "Down", "Down", "Down", "Down", "Down", "Right", "Down", "Down", "Return"});
    QElapsedTimer chosen;
    chosen.start();
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_GE(chosen.elapsed(), 2900);
    EXPECT_TRUE(pixels(saved[0]) == screen)
        << "the capture shows more than the screen before the menu opened";
}

} // namespace
