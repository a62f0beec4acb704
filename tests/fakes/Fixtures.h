#pragma once

#include "app/AppSettings.h"
#include "app/PanelContext.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeDisplayServer.h"
#include "fakes/FakeScreenGrabber.h"
#include "fakes/FakeSoundPlayer.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

// The two offscreen screens of capture/two-screens.json, which the display
// server and the grabber both know: A at (0,0) 800×600 points, scale 2, so
// 1600×1200 device pixels; B at (1600,0) 640×480 points, scale 1.
class TwoScreensTest : public ::testing::Test
{
protected:
    static constexpr quint32 IdA = 101, IdB = 102;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "offscreen screen configuration missing";
        displays.ids = {{QStringLiteral("A"), IdA}, {QStringLiteral("B"), IdB}};
        grabber.shareableDisplays = {{IdA, QRect(0, 0, 1600, 1200)}, {IdB, QRect(1600, 0, 640, 480)}};
    }

    FakeDisplayServer displays;
    FakeScreenGrabber grabber;
};

// A press, a move and, unless `hold`, a release: fractional points, as a
// screen at scale 2 delivers them.
inline void drag(QWidget *view, QPointF from, QPointF to, bool hold = false)
{
    const auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    if (!hold)
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// Panels on the primary screen (or on none), with or without a compositing
// manager.
inline PanelContext panelContext(bool composited, bool hasScreen = true)
{
    return {nullptr, std::make_shared<FakeCompositingManager>(composited), nullptr,
        [hasScreen] { return hasScreen ? QGuiApplication::primaryScreen() : nullptr; }};
}

inline QImage uniform(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Settings in a temporary folder of their own; captures go to its "shots"
// folder, without a preview.
struct TemporarySettings
{
    TemporarySettings()
    {
        settings.setSavePath(dir.filePath(QStringLiteral("shots")));
        settings.setShowPreviewThumbnail(false);
    }
    QStringList savedFiles() const { return QDir(settings.savePath()).entryList(QDir::Files); }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store
        = std::make_shared<DefaultsStore>(dir.filePath(QStringLiteral("defaults.json")));
    AppSettings settings{*store};
    FakeSoundPlayer sound;
    FileService files{sound};
};

inline void processEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
