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
// through what it writes, prints, stores and shows.
//
// To add a case, write TEST_F(QuilletE2E, ...) in a file of tests/e2e/ that
// tests.cmake lists with quillet_add_e2e_test() (each file runs on a display
// of its own):
//   ASSERT_TRUE(start({{"imageFormat", "jpeg"}}));  seeds defaults.json over the base keys
//       (onboarding done, savePath = shots(), no sound, no preview) and returns
//       once the tray icon is embedded: the shortcuts are live from then on.
//       start({}, false) starts on the file the last run left, or on what
//       writeDefaults(text) put there.
//   key("shift+alt+super+3");           a combination pressed and released.
//   waitForFiles(1);                    the save folder's files, oldest first.
//   waitFor([&] { return findAlert(); });  the "Capture Failed" alert, once it shows.
//   output(), storedDefaults();         what quillet printed and stored.
// A "must not happen" check waits for a later event that must happen (the
// next capture's file), never for a time to pass.
class QuilletE2E : public ::testing::Test
{
protected:
    static constexpr QSize ScreenSize{1920, 1080};
    static const char *const Fullscreen; // the default fullscreen shortcut, for xdotool

    // The root shows a pattern whose every pixel says where it is.
    static void SetUpTestSuite();
    void TearDown() override;

    // Seeds defaults.json with the keys every case starts from, which `extra`
    // adds to or replaces; with `seed` false the file is left as it is.
    [[nodiscard]] bool start(const QJsonObject &extra = {}, bool seed = true);
    // Command-line arguments of the quillet that start() runs.
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    QString shots() const { return m_home.filePath(QStringLiteral("shots")); }
    QString home() const { return m_home.path(); }
    void writeDefaults(const QByteArray &contents) const;
    QJsonObject storedDefaults() const;
    // Everything quillet has printed on standard output so far.
    QByteArray output();

    static void key(const QString &combination) { xdotool({QStringLiteral("key"), combination}); }
    static void xdotool(const QStringList &arguments);
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
    // The visible window of quillet with this title.
    std::optional<quint32> findWindow(const QString &title) const;
    // An alert box (a dialog window) of quillet on the screen, if there is one;
    // its text cannot be read from outside without an accessibility bus.
    std::optional<quint32> findAlert() const
    {
        return windowWith("_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
    }
    // quillet's icon in the tray: the one window of ours that the tray took in (XEmbed).
    std::optional<quint32> trayIcon() const { return windowWith("_XEMBED_INFO", "_XEMBED_INFO("); }
    // quillet's windows on the screen, the tray icon included.
    QList<quint32> visibleWindows() const;
    static QRect geometryOf(quint32 window);
    // A helper window's frame on the screen: its content widened by the
    // decorations the window manager announces.
    static QRect frameOf(const X11TestSupport::HelperWindow &window, QSize contentSize);

    // The whole screen as another X client reads it.
    static QImage grabScreenWithImageMagick();
    // An image's pixels alone, in one format, without the colour space a
    // file may name, so that two images compare by what they show.
    static QImage pixels(const QImage &image);
    static QImage pixels(const QString &file) { return pixels(QImage(file)); }
    // The clipboard's content of `type` as another X client reads it.
    static QByteArray clipboard(const QString &type);

    QString defaultsFile() const { return m_home.filePath(QStringLiteral(".config/quillet/defaults.json")); }

private:
    std::optional<quint32> windowWith(const char *property, const char *marker) const;

    QTemporaryDir m_home;
    QProcess m_process;
    QStringList m_arguments;
    QByteArray m_output;
};
