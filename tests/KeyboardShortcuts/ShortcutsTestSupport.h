#pragma once

#include "KeyboardShortcuts/Environment.h"
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

// Every test starts the library afresh over a private defaults file and fakes.
class ShortcutsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = std::make_shared<DefaultsStore>(dir.path() + QStringLiteral("/defaults.json"));
        KeyboardShortcuts::resetState({store, backend, layout});
    }
    void TearDown() override { KeyboardShortcuts::resetState({store, nullptr, nullptr}); }

    QTemporaryDir dir;
    std::shared_ptr<DefaultsStore> store;
    std::shared_ptr<FakeHotkeyBackend> backend = std::make_shared<FakeHotkeyBackend>();
    std::shared_ptr<FakeKeyboardLayout> layout = std::make_shared<FakeKeyboardLayout>();
};
