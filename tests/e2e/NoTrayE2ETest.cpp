#include "e2e/QuilletE2E.h"

#include <QElapsedTimer>

// The real program on a desktop that starts without a tray (this file's
// display has a window manager but no tray host): a window stands in for
// the icon until a tray appears.
namespace {

class NoTrayE2E : public QuilletE2E
{
protected:
    void TearDown() override
    {
        QuilletE2E::TearDown();
        stopTray();
    }
    void stopTray()
    {
        m_tray.kill();
        m_tray.waitForFinished();
    }
    // The same tray host as the other end-to-end files start before quillet.
    bool startTray()
    {
        m_tray.start(QStringLiteral("trayer"),
            {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24", "--transparent",
                "false"});
        return m_tray.waitForStarted();
    }
    int contentHeight(quint32 window) const { return geometryOf(window).height(); }
    // A window of quillet inside the tray host's window tree. (Every Qt window
    // announces XEmbed, so that alone does not tell the icon from a window.)
    std::optional<quint32> embeddedIcon() const
    {
        const QByteArray hosts = TestSupport::runProgram(QStringLiteral("xdotool"), {"search", "--class", "trayer"});
        for (const QByteArray &host : hosts.split('\n')) {
            if (host.isEmpty())
                continue;
            const QByteArray tree = TestSupport::runProgram(QStringLiteral("xwininfo"), {"-tree", "-id", host});
            for (const quint32 window : visibleWindows()) {
                if (tree.contains("0x" + QByteArray::number(window, 16) + ' '))
                    return window;
            }
        }
        return std::nullopt;
    }

    static constexpr int SettingsHeight = 380; // without the no-tray line

private:
    QProcess m_tray;
};

// The settings window opens at start with the no-tray line above its tabs,
// and the shortcuts capture. A tray started later gets the icon and the
// line goes; when the tray goes again the line comes back, and its "Quit
// Quillet" ends the program, the way out the tray menu would give. (The
// onboarding standing in on a first run: QuilletAppTest.)
TEST_F(NoTrayE2E, TheSettingsWindowStandsInForTheIconWhileThereIsNoTray)
{
    ASSERT_TRUE(launch());
    const auto settings = waitFor([&] { return findWindow(QStringLiteral("Quillet Settings")); });
    ASSERT_TRUE(settings) << "no window stood in for the tray icon";
    const auto showsLine = [&](bool shows) {
        return TestSupport::waitUntil([&] { return (contentHeight(*settings) > SettingsHeight + 20) == shows; });
    };
    EXPECT_TRUE(showsLine(true)) << "no line above the tabs";
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1).size(), 1);
    EXPECT_FALSE(embeddedIcon());

    ASSERT_TRUE(startTray());
    QElapsedTimer sinceTray;
    sinceTray.start();
    EXPECT_TRUE(waitFor([&] { return embeddedIcon(); })) << "the icon did not appear in the new tray";
    std::cerr << "the icon embedded " << sinceTray.elapsed() << " ms after trayer started" << std::endl;
    EXPECT_TRUE(showsLine(false)) << "the no-tray line stayed";

    stopTray();
    ASSERT_TRUE(showsLine(true)) << "the line did not come back with the tray gone";
    // Its button is at the right end of the line, which fills the window's top above the tabs.
    const QRect area = geometryOf(*settings);
    const int lineMiddle = area.top() + 8 + (area.height() - SettingsHeight) / 2;
    xdotool({"mousemove", QString::number(area.right() - 45), QString::number(lineMiddle), "click", "1"});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !isRunning(); })) << "Quit Quillet did not end it";
}

} // namespace
