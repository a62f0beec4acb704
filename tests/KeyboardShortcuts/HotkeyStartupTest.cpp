#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Hotkeys.h"

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

// Without the shared test main, whose QApplication exists before any test:
// a program may declare its names before it makes its application.
TEST(HotkeyStartup, MenusAreWatchedOnceTheApplicationExists)
{
    using namespace KeyboardShortcuts;
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    resetState({}); // no store and no backends: nothing here touches a file
    const Name early(QStringLiteral("early"));
    int argc = 1;
    char program[] = "HotkeyStartupTest";
    char *argv[] = {program, nullptr};
    QApplication app(argc, argv);
    QMenu menu;
    menu.popup(QPoint(10, 10));
    EXPECT_TRUE(isMenuOpen());
    resetState({});
}
