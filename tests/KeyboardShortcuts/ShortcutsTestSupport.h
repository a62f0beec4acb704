#pragma once

#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"

#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// The region capture's default shortcut, Shift+Alt+Super+4.
inline const KeyboardShortcuts::ModifierFlags commandOptionShift = KeyboardShortcuts::ModifierFlags::command
    | KeyboardShortcuts::ModifierFlags::option | KeyboardShortcuts::ModifierFlags::shift;
inline const KeyboardShortcuts::Shortcut region(KeyboardShortcuts::Key::four, commandOptionShift);

// Every test starts the library afresh over a private defaults file and fakes,
// before the members of a derived fixture declare their names.
class ShortcutsTest : public ::testing::Test
{
protected:
    ShortcutsTest()
    {
        KeyboardShortcuts::resetState({store, backend, layout, [this] { ++beeps; }});
    }
    ~ShortcutsTest() override { KeyboardShortcuts::resetState({store, nullptr, nullptr}); }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store = std::make_shared<DefaultsStore>(dir.filePath("defaults.json"));
    std::shared_ptr<FakeHotkeyBackend> backend = std::make_shared<FakeHotkeyBackend>();
    std::shared_ptr<FakeKeyboardLayout> layout = std::make_shared<FakeKeyboardLayout>();
    int beeps = 0;
};
