#pragma once

#include "support/GnomeTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

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
