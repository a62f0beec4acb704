#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/RecorderCocoa.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/x11/X11HotkeyBackend.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// The recorder in a real window under openbox, typed into with xdotool:
// combinations that our own hotkeys or the window manager hold reach it.

namespace {

using namespace KeyboardShortcuts;
using TestSupport::waitUntil;

const ModifierFlags commandOptionShift
    = ModifierFlags::command | ModifierFlags::option | ModifierFlags::shift;

void xdotool(const QStringList &arguments)
{
    ASSERT_TRUE(X11TestSupport::xdotool(arguments)) << arguments.join(' ').toStdString();
}

// The library over the real backends, started afresh before a fixture's
// names are made.
struct LibraryOnX11
{
    LibraryOnX11()
    {
        resetState({store, X11HotkeyBackend::create(), X11KeyboardLayout::create(), [this] { ++beeps; }});
    }
    ~LibraryOnX11() { resetState({store, nullptr, nullptr}); }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store = std::make_shared<DefaultsStore>(dir.filePath("defaults.json"));
    int beeps = 0;
};

class RecorderOnX11 : public ::testing::Test, protected LibraryOnX11
{
protected:
    RecorderOnX11()
    {
        onKeyUp(fullscreen, [this] { ++fullscreenUps; });
        onKeyUp(scroll, [this] { ++scrollUps; });
        auto *column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(new QPushButton(QStringLiteral("Elsewhere")));
        window.show();
        window.activateWindow();
    }

    void SetUp() override { ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 20000)); }

    // A real click, so that the window manager and the X server see it too.
    void clickField()
    {
        const QPoint at = field->mapToGlobal(field->rect().center());
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        ASSERT_TRUE(waitUntil([&] { return field->isRecording(); })) << "recording did not start";
    }

    Name fullscreen{QStringLiteral("captureFullscreen"), Shortcut(Key::three, commandOptionShift)};
    Name scroll{QStringLiteral("captureScroll"), Shortcut(Key::five, commandOptionShift)};
    int fullscreenUps = 0, scrollUps = 0;
    QWidget window;
    RecorderCocoa *field = new RecorderCocoa(scroll);
};

TEST_F(RecorderOnX11, AHeldCombinationIsRecordedAndRunsNothing)
{
    clickField();
    xdotool({"key", "shift+alt+super+3"});
    ASSERT_TRUE(waitUntil([&] { return readShortcut(scroll) == fullscreen.shortcut(); }))
        << "recording ended without the combination";
    EXPECT_EQ(field->text(), QStringLiteral("Shift+Alt+Super+3"));
    EXPECT_TRUE(waitUntil([&] { return !field->isRecording(); }));
    // Qt sends the window's release of the keyboard when its event loop next runs.
    QCoreApplication::processEvents();
    // Grabbed again once recording ended: one press now runs both names.
    // Had the recorded press run anything, the counts would be ahead.
    xdotool({"key", "shift+alt+super+3"});
    ASSERT_TRUE(waitUntil([&] { return scrollUps == 1; }));
    EXPECT_EQ(std::pair(fullscreenUps, beeps), std::pair(1, 0));
}

TEST_F(RecorderOnX11, ACombinationTheWindowManagerHoldsShowsTheSystemAlert)
{
    int alerts = 0;
    QString text;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible())
            return;
        ++alerts;
        text = alert->text();
        for (QAbstractButton *button : alert->buttons()) {
            if (button->text() == QStringLiteral("OK")) // keep the old shortcut
                return button->click();
        }
    });
    answerer.start(20);
    clickField();
    xdotool({"key", "ctrl+alt+Left"}); // openbox's "go to the desktop on the left"
    ASSERT_TRUE(waitUntil([&] { return alerts == 1; })) << "no alert; recording: " << field->isRecording();
    EXPECT_EQ(text, QStringLiteral("This shortcut is already in use by the system or another program."));
    // Recording goes on, with the keyboard held again: another held
    // combination still reaches the field.
    EXPECT_TRUE(waitUntil([&] { return field->isRecording(); }));
    EXPECT_EQ(readShortcut(scroll), Shortcut(Key::five, commandOptionShift));
    xdotool({"key", "shift+alt+super+3"});
    EXPECT_TRUE(waitUntil([&] { return readShortcut(scroll) == fullscreen.shortcut(); }));
    EXPECT_EQ(alerts, 1);
}

} // namespace
