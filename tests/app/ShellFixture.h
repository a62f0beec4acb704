#pragma once

#include "KeyboardShortcuts/Environment.h"
#include "app/AppSettings.h"
#include "app/HotkeyService.h"
#include "capture/CaptureService.h"
#include "capture/CountdownOverlay.h"
#include "capture/DisplayLookup.h"
#include "capture/OverlayService.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"
#include "setup/PermissionService.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeDisplayServer.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/FakeScreenGrabber.h"
#include "fakes/FakeSoundPlayer.h"
#include "fakes/FakeWindowList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// The shell's services over fakes, on the two offscreen screens of
// two-screens.json: A at (0,0) 800×600 points, scale 2; B at (1600,0)
// 640×480 points, scale 1. The permission is granted unless a test says not.
class ShellTest : public ::testing::Test
{
protected:
    static constexpr quint32 IdA = 101, IdB = 102;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "offscreen screen configuration missing";
        settings.setSavePath(dir.filePath(QStringLiteral("shots")));
        settings.setShowPreviewThumbnail(false);
        displays.ids = {{QStringLiteral("A"), IdA}, {QStringLiteral("B"), IdB}};
        grabber.shareableDisplays = {{IdA, QRect(0, 0, 1600, 1200)}, {IdB, QRect(1600, 0, 640, 480)}};
        installDisplayIdentifiers(displays, &context);
        PanelContext panels;
        panels.compositing = std::make_shared<FakeCompositingManager>(true);
        panels.mainScreenOverride = [] { return QGuiApplication::primaryScreen(); };
        CountdownOverlay::resetShared(panels);
    }
    void TearDown() override
    {
        CountdownOverlay::resetShared();
        KeyboardShortcuts::resetState({store, nullptr, nullptr});
    }

    // Makes the permission service see the permission missing.
    void revokePermission()
    {
        permissionPlatform.grantOnCheck = 0;
        permission.checkPermission();
    }
    QStringList savedFiles() const { return QDir(settings.savePath()).entryList(QDir::Files); }
    QImage savedImage() const
    {
        const QStringList files = savedFiles();
        return files.size() == 1 ? QImage(QDir(settings.savePath()).filePath(files.first())) : QImage();
    }
    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store
        = std::make_shared<DefaultsStore>(dir.filePath(QStringLiteral("defaults.json")));
    std::shared_ptr<FakeHotkeyBackend> hotkeys = std::make_shared<FakeHotkeyBackend>();
    bool libraryReset = (KeyboardShortcuts::resetState({store, hotkeys, std::make_shared<FakeKeyboardLayout>()}), true);
    AppSettings settings{*store};
    FakeScreenCapturePermission permissionPlatform = [] {
        FakeScreenCapturePermission granted;
        granted.grantOnCheck = 1;
        return granted;
    }();
    PermissionService permission{permissionPlatform};
    FakeSoundPlayer sound;
    FileService files{sound};
    QObject context;
    FakeDisplayServer displays;
    FakeScreenGrabber grabber;
    FakeWindowList windows;
    FakeCompositingManager compositing{true};
    CaptureService capture{nullptr, displays, grabber, windows};
    OverlayService overlays{grabber, compositing};
    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    ScrollCaptureService scroll{ScrollCaptureService::regionsOf(capture), pipeline, compositing};
    HotkeyService coordinator{capture, overlays, scroll, pipeline, permission, [] { return std::optional(IdA); }};
};
