#include "e2e/QuilletE2E.h"

#include "platform/x11/X11HotkeyBackend.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

// Captures started by the global shortcuts of the real program.
namespace {

using TestSupport::runProgram;
using X11TestSupport::HelperWindow;
using X11TestSupport::patternMismatches;
using X11TestSupport::waitUntilScreenShows;

const QString Region = QStringLiteral("shift+alt+super+4");
const QString Window = QStringLiteral("shift+alt+super+6");
const QRect Probe(100, 100, 4, 4); // bare root wherever a case does not put a window

// The time a default file name states, or an invalid time.
QDateTime nameTime(const QString &path)
{
    // A taken name is numbered: "Screenshot … PM (2)".
    const QString name = QFileInfo(path).completeBaseName().remove(QRegularExpression(QStringLiteral(" \\(\\d+\\)$")));
    if (!name.startsWith(QLatin1String("Screenshot ")))
        return {};
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toDateTime(name.mid(11), QStringLiteral("yyyy-MM-dd 'at' h.mm.ss AP"));
}

bool probeShowsTheRoot(bool bare)
{
    return waitUntilScreenShows(Probe, [&](const QImage &s) { return (patternMismatches(s, Probe) == 0) == bare; });
}

// A window's frame on the screen: its content's place widened by the
// decorations the window manager announces (left, right, top, bottom).
QRect frameOf(const HelperWindow &window, QSize contentSize)
{
    const QString extents = QString::fromLocal8Bit(runProgram(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window.id), QStringLiteral("_NET_FRAME_EXTENTS")}));
    QList<int> e;
    for (const auto &m : QRegularExpression(QStringLiteral("\\d+")).globalMatch(extents.section('=', 1)))
        e << m.captured().toInt();
    if (e.size() != 4)
        return {};
    return QRect(window.origin - QPoint(e[0], e[2]), contentSize + QSize(e[0] + e[1], e[2] + e[3]));
}

TEST_F(QuilletE2E, AHeldFullscreenShortcutSavesTheScreenOnceUnderTheTimeOfTheCapture)
{
    ASSERT_TRUE(start());
    const QImage screen = grabScreenWithImageMagick();
    ASSERT_EQ(screen.size(), ScreenSize);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    xdotool({"keydown", Fullscreen, "sleep", "1.5", "keyup", Fullscreen});
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    const QDateTime stated = nameTime(saved[0]);
    EXPECT_TRUE(stated.isValid() && stated >= before && stated <= QDateTime::currentDateTime())
        << saved[0].toStdString();
    EXPECT_TRUE(saved[0].endsWith(QLatin1String(".png")));
    EXPECT_TRUE(pixels(saved[0]) == screen);

    // One more capture: had the held keys started a second one, it would be here by now.
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(2).size(), 2);
    EXPECT_EQ(files().size(), 2);
}

TEST_F(QuilletE2E, ADraggedRegionIsSavedWithoutTheOverlayAndEscapeSavesNothing)
{
    ASSERT_TRUE(start());
    key(Region);
    ASSERT_TRUE(probeShowsTheRoot(false)) << "no overlay";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(probeShowsTheRoot(true)) << "the overlay stayed after Escape";

    key(Region);
    ASSERT_TRUE(probeShowsTheRoot(false)) << "no overlay";
    xdotool({"mousemove", "100", "100", "mousedown", "1", "mousemove", "260", "220", "mousemove", "420", "340",
        "mouseup", "1"});
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1) << "Escape saved a file";
    EXPECT_EQ(patternMismatches(pixels(saved[0]), {100, 100, 320, 240}), 0);
    EXPECT_FALSE(findAlert());
}

TEST_F(QuilletE2E, TheWindowShortcutSavesTheFrontWindowWithItsFrame)
{
    ASSERT_TRUE(start());
    const HelperWindow front(QStringLiteral("400x300+500+300"));
    ASSERT_TRUE(front.shown && front.waitForFocus());
    const QRect frame = frameOf(front, {400, 300});
    ASSERT_GT(frame.height(), 300) << "openbox gave the window no title bar";
    const QImage screen = grabScreenWithImageMagick();

    key(Window);
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(pixels(saved[0]) == screen.copy(frame));
    EXPECT_TRUE(pixels(saved[0]).copy({front.origin - frame.topLeft(), QSize(400, 300)})
        == TestWindowContent::pattern({400, 300}));
}

TEST_F(QuilletE2E, TwoCapturesInOneSecondGetNumberedNames)
{
    ASSERT_TRUE(start());
    // The two may straddle the turn of a second; then they rightly share no name.
    for (int attempt = 0; attempt < 5; ++attempt) {
        QDir(shots()).removeRecursively();
        xdotool({"key", Fullscreen, Fullscreen});
        const QStringList saved = waitForFiles(2);
        ASSERT_EQ(saved.size(), 2);
        if (nameTime(saved[0]) != nameTime(saved[1]))
            continue;
        QStringList names{QFileInfo(saved[0]).fileName(), QFileInfo(saved[1]).fileName()};
        if (names[0].size() > names[1].size())
            names.swapItemsAt(0, 1);
        EXPECT_EQ(names[1], QFileInfo(names[0]).completeBaseName() + QStringLiteral(" (2).png"));
        return;
    }
    FAIL() << "no two captures fell within one second";
}

TEST_F(QuilletE2E, ACombinationHeldByAnotherClientIsReportedAndTheOthersWork)
{
    // Shift-Alt-Super-5, the scroll capture's default, taken first.
    const auto otherClient = X11HotkeyBackend::create();
    ASSERT_TRUE(otherClient);
    ASSERT_EQ(otherClient->grab(1, {6}, KeyModifiers{true, false, true, true}), HotkeyBackend::Result::grabbed);
    ASSERT_TRUE(start());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return output().contains("Error registering hotkey ⌥⇧⌘5: -9878\n"); }))
        << output().constData();

    key(Region);
    EXPECT_TRUE(probeShowsTheRoot(false)) << "no overlay";
    key(QStringLiteral("Escape"));
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1).size(), 1);
    const HelperWindow front(QStringLiteral("400x300+500+300"));
    ASSERT_TRUE(front.shown && front.waitForFocus());
    key(Window);
    EXPECT_EQ(waitForFiles(2).size(), 2);
}

} // namespace
