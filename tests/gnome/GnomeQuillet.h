#pragma once

#include "support/GnomeTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <iostream>

// The real quillet program in the GNOME test session, with the session's
// HOME (GSettings reads under it) and its captures saved to shots().
class GnomeQuillet
{
public:
    GnomeQuillet();
    ~GnomeQuillet();

    // Seeds defaults.json with the keys every case starts from (onboarding
    // done, no sound, no preview, saved to shots()), which `extra` adds to
    // or replaces. Returns once quillet owns its bus name: from then on a
    // forwarded capture reaches it. Its settings file goes under the
    // environment's XDG_CONFIG_HOME.
    [[nodiscard]] bool start(const QJsonObject &extra = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // What it printed so far, both streams.
    QByteArray output();

    // `quillet ARGUMENTS` as GNOME's keybinding runs it; its exit status.
    static int run(const QStringList &arguments);

    static QString shots();
    QStringList files() const;
    // Waits until shots() holds at least `count` files; their paths, oldest first.
    QStringList waitForFiles(int count) const;
    void removeFiles() const;

    // The whole screen once it is still: taken until two pictures agree, so
    // that nothing caught halfway (a window closing) counts.
    static QImage stillScreen();
    // Waits until overlays cover every display (corners differ from
    // `before`) and the picture has settled.
    static bool waitForOverlays(const QImage &before);

private:
    QProcess m_process;
    QByteArray m_output;
};

// A suite whose cases share one running quillet and one remote input for
// the session; each case starts with an empty shots folder and prints
// quillet's output when it fails.
class GnomeSessionTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_quillet = new GnomeQuillet;
        ASSERT_TRUE(s_quillet->start());
        s_input = GnomeTestSupport::RemoteInput::open().release();
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

    static inline GnomeQuillet *s_quillet = nullptr;
    static inline GnomeTestSupport::RemoteInput *s_input = nullptr;
};
