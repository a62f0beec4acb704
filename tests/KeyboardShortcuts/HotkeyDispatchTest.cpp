#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Storage.h"
#include "ShortcutsTestSupport.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

using namespace KeyboardShortcuts;
using Combination = FakeHotkeyBackend::Combination;

const Combination regionKeys{5, KeyModifiers{true, false, true, true}};
const Shortcut scroll(Key::five, commandOptionShift);
const Combination scrollKeys{6, KeyModifiers{true, false, true, true}};

struct KeyCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::KeyPress;
        return false;
    }
};

class HotkeyDispatch : public ShortcutsTest
{
protected:
    QString captureOutput(const std::function<void()> &action)
    {
        ::testing::internal::CaptureStdout();
        action();
        return QString::fromStdString(::testing::internal::GetCapturedStdout());
    }

    QStringList calls;
};

TEST_F(HotkeyDispatch, OnePressRunsEveryNameHoldingTheShortcut)
{
    const Name a(QStringLiteral("a"), region), b(QStringLiteral("b"), region);
    onKeyUp(a, [this] { calls << "a up 1"; });
    onKeyDown(b, [this] { calls << "b down"; });
    onKeyUp(b, [this] { calls << "b up"; });
    onKeyUp(a, [this] { calls << "a up 2"; });
    backend->press(regionKeys);
    EXPECT_EQ(calls, QStringList{"b down"});
    backend->release(regionKeys);
    EXPECT_EQ(calls, (QStringList{"b down", "a up 1", "a up 2", "b up"}));
}

TEST_F(HotkeyDispatch, HandlersFollowTheStoredShortcutAndPauseWhileRecording)
{
    const Name name(QStringLiteral("captureRegion"), region);
    onKeyUp(name, [this] { calls << "up"; });
    const auto ids = backend->ids();
    // The grabs step aside so the recorder's window gets every combination.
    setRecorderActive(true);
    EXPECT_EQ(std::pair(backend->grabs.size(), isShortcutRegistered(name)), std::pair(std::size_t(0), true));
    backend->callback(ids.front(), HotkeyBackend::Event::released); // one already on its way
    EXPECT_EQ(calls.size(), 0);
    setRecorderActive(false);
    EXPECT_EQ(backend->ids(), ids);
    name.setShortcut(scroll);
    backend->tap(regionKeys);
    backend->tap(scrollKeys);
    EXPECT_EQ(calls.size(), 1);
    // Another writer of the same file changes it: read afresh on the press.
    DefaultsStore(store->filePath()).setValue(storageKey(name), QString::fromUtf8(region.toJson()));
    backend->tap(scrollKeys);
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(HotkeyDispatch, AnOpenMenuTakesMatchingKeysInsteadOfTheGrabs)
{
    const Name name(QStringLiteral("captureRegion"), region);
    onKeyDown(name, [this] { calls << "down"; });
    onKeyUp(name, [this] { calls << "up"; });
    const auto ids = backend->ids();
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(TestSupport::waitUntil([] { return isMenuOpen(); }));
    EXPECT_TRUE(backend->grabs.empty());
    const quint32 state
        = FakeKeyboardLayout::superMask | FakeKeyboardLayout::altMask | FakeKeyboardLayout::shiftMask;
    QKeyEvent matching(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier, 5 + 8, 0, state);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 30 + 8, 0, state);
    KeyCounter reachedMenu;
    menu.installEventFilter(&reachedMenu);
    QCoreApplication::sendEvent(&menu, &matching);
    EXPECT_EQ(reachedMenu.count, 0); // consumed
    QCoreApplication::sendEvent(&menu, &other);
    EXPECT_EQ(std::pair(calls, reachedMenu.count), std::pair(QStringList{"down"}, 1)); // passed on
    // The modifiers are let go first: the release still belongs to the press.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_4, Qt::NoModifier, 5 + 8, 0, 0);
    QCoreApplication::sendEvent(&menu, &release);
    EXPECT_EQ(calls, (QStringList{"down", "up"}));
    menu.hide();
    EXPECT_EQ(
        std::pair(isMenuOpen(), backend->ids()), std::pair(false, ids)); // grabbed again under the same ids
    backend->tap(regionKeys);
    EXPECT_EQ(calls, (QStringList{"down", "up", "down", "up"}));
}

TEST_F(HotkeyDispatch, BindingsTheDesktopRunsStayWhileAMenuIsOpenAndKnowTheirNames)
{
    backend->blockedByMenus = false;
    const Name name(QStringLiteral("captureRegion"), region), other(QStringLiteral("other"), region);
    onKeyDown(name, [] {});
    const auto stream = keyEvents(other);
    Name(QStringLiteral("unheard"), region);
    EXPECT_EQ(namesOfRegistration(backend->ids().front()), (QList<Name>{name, other}));
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(TestSupport::waitUntil([] { return isMenuOpen(); }));
    EXPECT_EQ(backend->grabs.size(), 1);
}

TEST_F(HotkeyDispatch, TheGrabStaysUntilTheLastHandlerOrStreamGoes)
{
    const Name name(QStringLiteral("captureRegion"), region);
    auto downs = keyEvents(name, EventType::keyDown);
    auto all = keyEvents(name);
    QObject::connect(downs.get(), &KeyEventStream::keyEvent, [this](EventType) { calls << "downs"; });
    QObject::connect(all.get(), &KeyEventStream::keyEvent, [this](EventType) { calls << "all"; });
    // A handler of the same press ends a stream before the stream's turn.
    onKeyDown(name, [&] { all.reset(); });
    backend->tap(regionKeys);
    backend->tap(regionKeys);
    EXPECT_EQ(calls, (QStringList{"downs", "downs"})); // and no release
    removeHandlers(name);
    onKeyUp(name, [] {});
    downs.reset();
    EXPECT_TRUE(isShortcutRegistered(name)); // the handler still listens
    clearAllHandlers();
    EXPECT_EQ(std::pair(backend->grabs.size(), hasStoredValue(name)), std::pair(std::size_t(0), true));
}

TEST_F(HotkeyDispatch, ReEnablingKeepsIdsAndDropsWhatWasTakenMeanwhile)
{
    const Name a(QStringLiteral("a"), region), b(QStringLiteral("b"), scroll);
    EXPECT_EQ(backend->ids(), (std::vector<quint32>{1, 2}));
    setHotkeysEnabled(false);
    EXPECT_EQ(std::pair(backend->grabs.size(), isShortcutRegistered(a)), std::pair(std::size_t(0), false));
    backend->takenByOthers.push_back(scrollKeys);
    EXPECT_EQ(captureOutput([] { setHotkeysEnabled(true); }),
        QStringLiteral("Error registering hotkey Shift+Alt+Super+5: -9878\n"));
    EXPECT_EQ(backend->ids(), std::vector<quint32>{1});
    EXPECT_EQ(CarbonKeyboardShortcuts::hotKeyIds(), std::vector<qint64>{1});
}

TEST_F(HotkeyDispatch, RefusedRegistrationsAreLoggedAndStillUseAnId)
{
    backend->takenByOthers.push_back(regionKeys);
    const Shortcut withFunction(Key::a, ModifierFlags::command | ModifierFlags::function);
    EXPECT_EQ(captureOutput([&] {
        const Name taken(QStringLiteral("taken"), region), inexpressible(QStringLiteral("fn"), withFunction);
        EXPECT_EQ(taken.shortcut(), region); // the stored value stays
    }),
        QStringLiteral("Error registering hotkey Shift+Alt+Super+4: -9878\n"
                       "Error registering hotkey Super+Fn+A: -9879\n"));
    const Name fine(QStringLiteral("fine"), scroll);
    EXPECT_EQ(backend->ids(), std::vector<quint32>{3});
}

} // namespace
