#include "e2e/QuilletE2E.h"

#include "platform/x11/X11HotkeyBackend.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>

// Captures started by the global shortcuts of the real program.
namespace {

using X11TestSupport::patternMismatches;

// The time a default file name states ("Screenshot … PM (2)" when numbered), or an invalid time.
QDateTime nameTime(const QString &path)
{
    const auto name = QRegularExpression(
        QStringLiteral(
            R"(^Screenshot (\d{4}-\d\d-\d\d at (?:[1-9]|1[0-2])\.\d\d\.\d\d [AP]M)(?: \(\d+\))?\.png$)"))
                          .match(QFileInfo(path).fileName());
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toDateTime(name.captured(1), QStringLiteral("yyyy-MM-dd 'at' h.mm.ss AP"));
}

// The scroll capture's default, Shift-Alt-Super-5, is another client's
// first: quillet says so, and the other shortcuts start their captures.
// (The window capture's, with its frame, through a stored combination:
// SettingsE2ETest; the default's place in the menu: MenuE2ETest.)
TEST_F(QuilletE2E, AShortcutAnotherClientHoldsIsReportedAndTheOthersCapture)
{
    const auto otherClient = X11HotkeyBackend::create();
    ASSERT_TRUE(otherClient);
    ASSERT_EQ(
        otherClient->grab(1, {6}, KeyModifiers{true, false, true, true}), HotkeyBackend::Result::grabbed);
    ASSERT_TRUE(start());
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        return output().contains("Error registering hotkey Shift+Alt+Super+5: -9878\n");
    })) << output().constData();
    // Two captures within one second: the second name is numbered. The two
    // may straddle the turn of a second; then they rightly share no name.
    for (int attempt = 0;; ++attempt) {
        ASSERT_LT(attempt, 5) << "no two captures fell within one second";
        QDir(shots()).removeRecursively();
        xdotool({"key", Fullscreen, Fullscreen});
        QStringList names = waitForFiles(2);
        ASSERT_EQ(names.size(), 2);
        if (nameTime(names[0]) != nameTime(names[1]))
            continue;
        std::ranges::sort(names, {}, &QString::size);
        EXPECT_EQ(names[1], names[0].chopped(4) + QStringLiteral(" (2).png"));
        break;
    }
    QDir(shots()).removeRecursively();
    // Held past the key repeat, the fullscreen shortcut saves the screen
    // once, under the time it was taken.
    const QImage screen = grabScreenWithImageMagick();
    ASSERT_EQ(screen.size(), ScreenSize);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    xdotool({"keydown", Fullscreen, "sleep", "1.5", "keyup", Fullscreen});
    QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    const QDateTime stated = nameTime(saved[0]);
    EXPECT_TRUE(stated.isValid() && stated >= before && stated <= QDateTime::currentDateTime())
        << saved[0].toStdString();
    EXPECT_EQ(QImageReader(saved[0]).format(), "png");
    EXPECT_TRUE(pixels(saved[0]) == screen);
    // Escape leaves the overlay with nothing saved; a drag saves what was
    // under it, without a trace of it.
    key(QStringLiteral("shift+alt+super+4"));
    ASSERT_TRUE(overlayShows(true)) << "no overlay";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(overlayShows(false)) << "the overlay stayed after Escape";
    key(QStringLiteral("shift+alt+super+4"));
    ASSERT_TRUE(overlayShows(true)) << "no overlay";
    xdotool({"mousemove", "100", "100", "mousedown", "1", "mousemove", "260", "220", "mousemove", "420",
        "340", "mouseup", "1"});
    // Whatever the held keys or Escape saved would be there before the region.
    ASSERT_TRUE(
        TestSupport::waitUntil([&] { return QImage((saved = files()).last()).size() == QSize(320, 240); }));
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(patternMismatches(pixels(saved[1]), {100, 100, 320, 240}), 0);
    EXPECT_FALSE(findAlert());
}

} // namespace

// A save folder that cannot be made ends in one alert. A capture started
// while it is open takes the keyboard from the alert hidden beneath it, so
// the first Escape ends the overlay and leaves the alert for the user to
// read; once the folder can be made, the next capture works.
TEST_F(QuilletE2E, AFailedSaveEndsInOneAlertAndAnOverlayOverItTakesTheFirstEscape)
{
    const QString blocker = home() + QStringLiteral("/blocker");
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    const QString folder = blocker + QStringLiteral("/shots");
    ASSERT_TRUE(start({{"savePath", folder}}));
    key(Fullscreen);
    const auto alert = waitFor([&] { return findAlert(); });
    ASSERT_TRUE(alert);
    EXPECT_TRUE(QFileInfo(blocker).isFile());
    ASSERT_TRUE(overlayShows(false)) << "the alert covers the probe";
    QProcess command;
    command.start(QStringLiteral(QUILLET_BINARY), {"--capture", "region"});
    ASSERT_TRUE(command.waitForFinished(60'000));
    ASSERT_EQ(command.exitCode(), 0) << command.readAllStandardError().constData();
    ASSERT_TRUE(overlayShows(true)) << "no overlay";
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(overlayShows(false)) << "the overlay stayed after Escape";
    EXPECT_EQ(findAlert(), alert) << "Escape went to the alert";
    xdotool({"windowactivate", "--sync", QString::number(*alert), "key", "Return"});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !findAlert(); }));
    QFile::remove(blocker);
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1, folder).size(), 1);
    EXPECT_TRUE(isRunning());
    EXPECT_FALSE(findAlert());
}
