#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/ShortcutsTestSupport.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/NotificationCenter.h"
#include "support/AlertAnswerer.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace KeyboardShortcuts;

namespace {

constexpr Qt::KeyboardModifiers shiftSuper = Qt::ShiftModifier | Qt::MetaModifier;

class RecorderTest : public ShortcutsTest
{
protected:
    void SetUp() override
    {
        auto *column = new QVBoxLayout(window.get());
        column->addWidget(recorder);
        column->addWidget(next);
        column->addSpacing(40);
        column->addWidget(farLabel);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    RecorderCocoa *field() const { return recorder->field(); }
    void startRecording()
    {
        QTest::mouseClick(field(), Qt::LeftButton);
        ASSERT_TRUE(field()->isRecording());
    }
    // A key press as X11 reports it: the key's meaning plus its native scan
    // code and modifier state, which the shortcut is made from.
    void press(int key, int evdev, Qt::KeyboardModifiers modifiers = {})
    {
        using L = FakeKeyboardLayout;
        const quint32 native = (modifiers & Qt::ShiftModifier ? L::shiftMask : 0)
            | (modifiers & Qt::ControlModifier ? L::controlMask : 0)
            | (modifiers & Qt::AltModifier ? L::altMask : 0)
            | (modifiers & Qt::MetaModifier ? L::superMask : 0);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, quint32(evdev + 8), 0, native);
        QApplication::sendEvent(
            QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), &event);
    }

    Name name{QStringLiteral("captureRegion"), region};
    std::vector<std::optional<Shortcut>> changes;
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    Recorder *recorder = new Recorder(
        QStringLiteral("Region Capture"), name,
        [this](const std::optional<Shortcut> &s) { changes.push_back(s); }, window.get());
    QPushButton *next = new QPushButton(QStringLiteral("Next"), window.get());
    QLabel *farLabel = new QLabel(QStringLiteral("far away"), window.get());
};

TEST_F(RecorderTest, KeysAreAcceptedOrRefused)
{
    // The key, its evdev code and modifiers; what is stored (none: refused,
    // the default stays), what the field shows, and the beeps.
    const std::tuple<const char *, int, int, Qt::KeyboardModifiers, std::optional<Shortcut>, const char *,
        int>
        cases[] = {
            {"Super+Shift+K", Qt::Key_K, 37, shiftSuper, Shortcut::fromCarbon(40, 0x300), "Shift+Super+K", 0},
            {"Shift+A", Qt::Key_A, 30, Qt::ShiftModifier, std::nullopt, "Shift+Alt+Super+4", 1},
            {"A alone", Qt::Key_A, 30, {}, std::nullopt, "Shift+Alt+Super+4", 1},
            {"F5", Qt::Key_F5, 63, {}, Shortcut::fromCarbon(96, 0), "F5", 0},
            {"Shift+F5", Qt::Key_F5, 63, Qt::ShiftModifier, Shortcut::fromCarbon(96, 0x200), "Shift+F5", 0},
            {"Print Screen, in F13's place", Qt::Key_Print, 99, {}, Shortcut::fromCarbon(105, 0), "Print", 0},
            // Typed for real, the modifiers of a combination arrive as presses of their own first.
            {"Shift on its own", Qt::Key_Shift, 42, Qt::ShiftModifier, std::nullopt, "Shift+Alt+Super+4", 0},
            {"Alt on its own", Qt::Key_Alt, 56, Qt::AltModifier, std::nullopt, "Shift+Alt+Super+4", 0},
            {"Super on its own", Qt::Key_Super_L, 125, Qt::MetaModifier, std::nullopt, "Shift+Alt+Super+4", 0},
        };
    for (const auto &[what, key, evdev, modifiers, stored, shown, beepCount] : cases) {
        SCOPED_TRACE(what);
        writeShortcut(region, name);
        changes.clear();
        beeps = 0;
        startRecording();
        press(key, evdev, modifiers);
        EXPECT_EQ(std::tuple(readShortcut(name), field()->text(), beeps, field()->isRecording(),
                      field()->hasFocus()),
            std::tuple(stored ? stored : region, QString::fromUtf8(shown), beepCount, !stored, !stored));
        EXPECT_EQ(changes, stored ? decltype(changes){stored} : decltype(changes){});
        QTest::mouseClick(farLabel, Qt::LeftButton);
    }
}

// While recording no handler runs (the hotkeys pause while the recorder is
// active), and others learn when that starts and ends.
TEST_F(RecorderTest, EscapeKeepsTheShortcutWhileBackspaceClearsItAndRecordsOn)
{
    QSignalSpy posts(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
    startRecording();
    EXPECT_TRUE(isRecorderActive());
    press(Qt::Key_Escape, 1);
    EXPECT_EQ(std::tuple(field()->isRecording(), isRecorderActive(), readShortcut(name), changes.size()),
        std::tuple(false, false, std::optional(region), 0u));
    QList<bool> active;
    for (const QList<QVariant> &post : posts) {
        if (post.at(0).toString() == QLatin1String(recorderActiveStatusDidChange))
            active.append(post.at(1).toMap().value(QStringLiteral("isActive")).toBool());
    }
    EXPECT_EQ(active, (QList<bool>{true, false}));
    startRecording();
    press(Qt::Key_Backspace, 14);
    // The name has a default: "none" is remembered, so the default stays away.
    EXPECT_EQ(std::tuple(readShortcut(name), store->object(storageKey(name)), field()->text(),
                  field()->isRecording()),
        std::tuple(std::optional<Shortcut>(), QVariant(false), QString(), true));
    EXPECT_EQ(changes, decltype(changes){std::nullopt});
    press(Qt::Key_F5, 63);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(96, 0));
}

TEST_F(RecorderTest, AMenuItemsCombinationIsRefusedAtAnyDepth)
{
    QMenu tray;
    tray.addAction(QStringLiteral("Capture Region"));
    tray.addMenu(QStringLiteral("More"))
        ->addMenu(QStringLiteral("Deeper"))
        ->addAction(QStringLiteral("&Keep Window"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    AlertAnswerer answerer(QStringLiteral("OK"));
    startRecording();
    press(Qt::Key_K, 37, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(answerer.shown, 1);
    EXPECT_TRUE(answerer.text.contains(QStringLiteral("“Keep Window”"))) << answerer.text.toStdString();
    EXPECT_EQ(readShortcut(name), region);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field()->isRecording(); }));
    // The same key with other modifiers is free.
    press(Qt::Key_K, 37, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(40, 0x1200));
    EXPECT_EQ(answerer.shown, 1);
}

// Answered "OK", the old shortcut stays and recording goes on:
// RecorderOnX11, with a combination the window manager holds.
TEST_F(RecorderTest, ACombinationAnotherProgramHoldsNeedsConsent)
{
    backend->takenByOthers = {{37, {true, false, false, true}}, {88, {}}};
    {
        AlertAnswerer answerer(QStringLiteral("Use It Anyway"));
        startRecording();
        press(Qt::Key_K, 37, shiftSuper);
        EXPECT_EQ(answerer.shown, 1);
        EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(40, 0x300));
        QCoreApplication::processEvents(); // a focus the alert gave back arrives
        QCoreApplication::processEvents();
        EXPECT_FALSE(field()->isRecording());
    }
    // F12 alone is always taken, whoever else holds it.
    AlertAnswerer answerer(QStringLiteral("OK"));
    startRecording();
    press(Qt::Key_F12, 88);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(111, 0));
    EXPECT_EQ(answerer.shown, 0);
}

// Whichever way recording ends, the hotkeys must work again.
TEST_F(RecorderTest, RecordingEndsEveryWayTheUserLeavesIt)
{
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"Tab moves on",
            [&] {
                press(Qt::Key_Tab, 15);
                EXPECT_TRUE(next->hasFocus());
            }},
        {"a click outside", [&] { QTest::mouseClick(farLabel, Qt::LeftButton); }},
        {"another window comes to the front",
            [&] {
                QWidget other;
                other.show();
                other.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
            }},
        {"the recorder goes", [&] { delete recorder; }},
    };
    for (const auto &[what, leave] : ways) {
        SCOPED_TRACE(what);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        startRecording();
        leave();
        EXPECT_FALSE(isRecorderActive());
        EXPECT_EQ(readShortcut(name), region);
    }
}

TEST_F(RecorderTest, OnlyAClickStartsRecordingAndRecordersOfOneNameStayInStep)
{
    // The window hands the field the keyboard back when it becomes active.
    field()->setFocus(Qt::ActiveWindowFocusReason);
    ASSERT_TRUE(field()->hasFocus());
    press(Qt::Key_K, 37, shiftSuper);
    EXPECT_EQ(readShortcut(name), region);
    EXPECT_FALSE(isRecorderActive());
    RecorderCocoa twin(name);
    RecorderCocoa stranger(Name(QStringLiteral("captureWindow")));
    startRecording();
    EXPECT_EQ(field()->placeholderText(), QStringLiteral("Press Shortcut"));
    press(Qt::Key_K, 37, shiftSuper);
    EXPECT_EQ(twin.text(), QStringLiteral("Shift+Super+K"));
    name.setShortcut(Shortcut::fromCarbon(96, 0));
    EXPECT_EQ(QStringList({twin.text(), field()->text(), stranger.text()}), QStringList({"F5", "F5", ""}));
    // A long combination still shows whole beside the clear button.
    const ModifierFlags all
        = ModifierFlags::shift | ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
    name.setShortcut(Shortcut(Key::pageDown, all));
    EXPECT_GT(twin.sizeHint().width(),
        twin.fontMetrics().horizontalAdvance(QStringLiteral("Shift+Ctrl+Alt+Super+Page Down"))
            + twin.sizeHint().height());
}

} // namespace
