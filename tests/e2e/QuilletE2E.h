#pragma once

#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QImage>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

// End-to-end cases: the real quillet program on a private 1920×1080 X display
// with openbox and trayer (tests/support/with-x11), with a HOME and
// XDG_CONFIG_HOME of its own, driven from outside with xdotool and checked
// through what it writes, prints, stores and shows. A case is a
// TEST_F(QuilletE2E, ...) in a file that tests.cmake lists; each file runs on
// a display of its own. A "must not happen" check waits for a later event
// that must happen (the next capture's file), never for a time to pass.
class QuilletE2E : public ::testing::Test
{
protected:
    static constexpr QSize ScreenSize{1920, 1080};
    static constexpr const char *Fullscreen = "shift+alt+super+3"; // the default, for xdotool

    // The root shows a pattern whose every pixel says where it is.
    static void SetUpTestSuite() { ASSERT_TRUE(X11TestSupport::paintRootPattern(ScreenSize)); }
    void TearDown() override;

    // Seeds defaults.json with the keys every case starts from (onboarding
    // done, no sound, no preview, saved to shots()), which `extra` adds to or
    // replaces; with `seed` false the file is left as it is. Returns once the
    // tray icon is embedded: the shortcuts are live from then on.
    [[nodiscard]] bool start(const QJsonObject &extra = {}, bool seed = true);
    // The same, without waiting for the tray icon: for a desktop without a tray.
    [[nodiscard]] bool launch(const QJsonObject &extra = {}, bool seed = true);
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 processId() const { return m_process.processId(); }

    QString shots() const { return m_home.filePath(QStringLiteral("shots")); }
    QString home() const { return m_home.path(); }
    void writeDefaults(const QByteArray &contents) const
    {
        EXPECT_TRUE(TestSupport::writeFile(defaultsFile(), contents));
    }
    QJsonObject storedDefaults() const { return TestSupport::readJsonFile(defaultsFile()); }
    // Everything quillet has printed on standard output so far.
    QByteArray output() { return m_output += m_process.readAllStandardOutput(); }

    // A combination pressed and released, such as "shift+alt+super+3".
    static void key(const QString &combination) { xdotool({QStringLiteral("key"), combination}); }
    static void xdotool(const QStringList &arguments)
    {
        EXPECT_TRUE(X11TestSupport::xdotool(arguments)) << arguments.join(' ').toStdString();
    }
    // Waits until the save folder (or `folder`) holds at least `count`
    // files; returns their paths, oldest first.
    QStringList waitForFiles(int count, const QString &folder = {}) const;
    QStringList files(const QString &folder = {}) const;

    // What `find` finds, once it finds something.
    template <class Find> static auto waitFor(Find find)
    {
        decltype(find()) found;
        TestSupport::waitUntil([&] { return bool(found = find()); });
        return found;
    }
    std::optional<quint32> findWindow(const QString &title) const;
    // An alert box (a dialog window) of quillet on the screen, if there is one;
    // its text cannot be read from outside without an accessibility bus.
    std::optional<quint32> findAlert() const
    {
        return windowWith("_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
    }
    // quillet's icon in the tray: the one window of ours that the tray took in (XEmbed).
    std::optional<quint32> trayIcon() const { return windowWith("_XEMBED_INFO", "_XEMBED_INFO("); }
    QList<quint32> visibleWindows() const; // the tray icon too
    static QRect geometryOf(quint32 window) { return X11TestSupport::geometryOf(window); }
    // A helper window's frame on the screen: its content widened by the
    // decorations the window manager announces.
    static QRect frameOf(const X11TestSupport::HelperWindow &window, QSize contentSize);

    // Waits until the selection overlay shows (or no longer shows) over the
    // root's pattern; returns whether it did.
    static bool overlayShows(bool shows);
    static QImage grabScreenWithImageMagick(); // as another X client reads it
    // An image's pixels alone, in one format, without the colour space a
    // file may name, so that two images compare by what they show.
    static QImage pixels(const QImage &image);
    static QImage pixels(const QString &file) { return pixels(QImage(file)); }

    QString defaultsFile() const { return m_home.filePath(QStringLiteral(".config/quillet/defaults.json")); }

private:
    std::optional<quint32> windowWith(const char *property, const char *marker) const;

    QTemporaryDir m_home;
    QProcess m_process;
    QStringList m_arguments;
    QByteArray m_output;
};
