#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/ShortcutsTestSupport.h"
#include "KeyboardShortcuts/Storage.h"
#include "platform/NotificationCenter.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace KeyboardShortcuts;

namespace {

constexpr Qt::KeyboardModifiers shiftSuper = Qt::ShiftModifier | Qt::MetaModifier;
const Shortcut regionDefault(Key::four, ModifierFlags::shift | ModifierFlags::option | ModifierFlags::command);

// Clicks the button titled `answer` in every alert that opens while it lives,
// and remembers the last alert's text.
struct AlertAnswerer
{
    explicit AlertAnswerer(QString answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!alert || !alert->isVisible())
                return;
            text = alert->text();
            for (QAbstractButton *button : alert->buttons())
                buttons.append(button->text());
            ++shown;
            for (QAbstractButton *button : alert->buttons()) {
                if (button->text() == answer)
                    return button->click();
            }
        });
        timer.start(5);
    }
    QTimer timer;
    QString text;
    QStringList buttons;
    int shown = 0;
};

class RecorderTest : public ShortcutsTest
{
protected:
    void SetUp() override
    {
        ShortcutsTest::SetUp();
        layout->characters.insert(37, QStringLiteral("k"));
        resetState({store, backend, layout, [this] { ++beeps; }});
        name = Name(QStringLiteral("captureRegion"), regionDefault);
        window = std::make_unique<QWidget>();
        auto *column = new QVBoxLayout(window.get());
        recorder = new Recorder(QStringLiteral("Region Capture"), name,
                                [this](const std::optional<Shortcut> &s) { changes.push_back(s); }, window.get());
        next = new QPushButton(QStringLiteral("Next"), window.get());
        farLabel = new QLabel(QStringLiteral("far away"), window.get());
        column->addWidget(recorder);
        column->addWidget(next);
        column->addSpacing(40);
        column->addWidget(farLabel);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        ShortcutsTest::TearDown();
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
        const quint32 native = (modifiers & Qt::ShiftModifier ? FakeKeyboardLayout::shiftMask : 0)
            | (modifiers & Qt::ControlModifier ? FakeKeyboardLayout::controlMask : 0)
            | (modifiers & Qt::AltModifier ? FakeKeyboardLayout::altMask : 0)
            | (modifiers & Qt::MetaModifier ? FakeKeyboardLayout::superMask : 0);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, quint32(evdev + 8), 0, native);
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QApplication::sendEvent(target, &event);
    }

    Name name;
    std::unique_ptr<QWidget> window;
    Recorder *recorder = nullptr;
    QPushButton *next = nullptr;
    QLabel *farLabel = nullptr;
    std::vector<std::optional<Shortcut>> changes;
    int beeps = 0;
};

struct KeyCase
{
    const char *what;
    int key;
    int evdev;
    Qt::KeyboardModifiers modifiers;
    std::optional<Shortcut> stored; // none: refused, the default stays
    const char *shown;
    int beeps;
};

TEST_F(RecorderTest, KeysAreAcceptedOrRefused)
{
    const KeyCase cases[] = {
        {"Super+Shift+K", Qt::Key_K, 37, shiftSuper, Shortcut::fromCarbon(40, 0x300), "⇧⌘K", 0},
        {"Shift+A", Qt::Key_A, 30, Qt::ShiftModifier, std::nullopt, "⌥⇧⌘4", 1},
        {"A alone", Qt::Key_A, 30, {}, std::nullopt, "⌥⇧⌘4", 1},
        {"F5", Qt::Key_F5, 63, {}, Shortcut::fromCarbon(96, 0), "F5", 0},
        {"Shift+F5", Qt::Key_F5, 63, Qt::ShiftModifier, Shortcut::fromCarbon(96, 0x200), "⇧F5", 0},
        {"Print Screen, in F13's place", Qt::Key_Print, 99, {}, Shortcut::fromCarbon(105, 0), "F13", 0},
        {"a modifier on its own", Qt::Key_Shift, 42, Qt::ShiftModifier, std::nullopt, "⌥⇧⌘4", 0},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(c.what);
        writeShortcut(regionDefault, name);
        changes.clear();
        beeps = 0;
        startRecording();
        press(c.key, c.evdev, c.modifiers);
        EXPECT_EQ(readShortcut(name), c.stored ? c.stored : regionDefault);
        EXPECT_EQ(field()->text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(field()->isRecording(), !c.stored);
        EXPECT_EQ(field()->hasFocus(), !c.stored);
        ASSERT_EQ(changes.size(), c.stored ? 1u : 0u);
        if (c.stored) {
            EXPECT_EQ(changes[0], c.stored);
        }
        QTest::mouseClick(farLabel, Qt::LeftButton);
    }
}

TEST_F(RecorderTest, EscapeKeepsTheShortcutWhileBackspaceClearsItAndRecordsOn)
{
    startRecording();
    press(Qt::Key_Escape, 1);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(readShortcut(name), regionDefault);
    EXPECT_TRUE(changes.empty());

    startRecording();
    press(Qt::Key_Backspace, 14);
    EXPECT_EQ(readShortcut(name), std::nullopt);
    // The name has a default: "none" is remembered, so the default stays away.
    EXPECT_EQ(store->object(storageKey(name)), QVariant(false));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::nullopt);
    EXPECT_EQ(field()->text(), QString());
    EXPECT_TRUE(field()->isRecording());
    EXPECT_TRUE(isRecorderActive());

    press(Qt::Key_F5, 63);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(96, 0));
}

TEST_F(RecorderTest, AMenuItemsCombinationIsRefusedAtAnyDepth)
{
    QMenu tray;
    tray.addAction(QStringLiteral("Capture Region"));
    QMenu *more = tray.addMenu(QStringLiteral("More"));
    more->addMenu(QStringLiteral("Deeper"))
        ->addAction(QStringLiteral("&Keep Window"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    AlertAnswerer answerer(QStringLiteral("OK"));

    startRecording();
    press(Qt::Key_K, 37, Qt::ControlModifier | Qt::AltModifier);

    EXPECT_EQ(answerer.shown, 1);
    EXPECT_TRUE(answerer.text.contains(QStringLiteral("“Keep Window”"))) << answerer.text.toStdString();
    EXPECT_EQ(readShortcut(name), regionDefault);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field()->isRecording(); }));

    // The same key with other modifiers is free.
    press(Qt::Key_K, 37, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(40, 0x1200));
    EXPECT_EQ(answerer.shown, 1);
}

TEST_F(RecorderTest, ACombinationAnotherProgramHoldsNeedsConsent)
{
    backend->takenByOthers = {{37, {true, false, false, true}}, {88, {}}};
    for (const bool useAnyway : {false, true}) {
        SCOPED_TRACE(useAnyway ? "use it anyway" : "ok");
        writeShortcut(regionDefault, name);
        AlertAnswerer answerer(useAnyway ? QStringLiteral("Use It Anyway") : QStringLiteral("OK"));
        startRecording();
        press(Qt::Key_K, 37, shiftSuper);
        EXPECT_EQ(answerer.shown, 1);
        EXPECT_EQ(answerer.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Use It Anyway")}));
        EXPECT_EQ(readShortcut(name), useAnyway ? Shortcut::fromCarbon(40, 0x300) : regionDefault);
        EXPECT_EQ(TestSupport::waitUntil([&] { return field()->isRecording(); }, std::chrono::milliseconds(500)),
                  !useAnyway);
        QTest::mouseClick(farLabel, Qt::LeftButton);
    }
    // F12 alone is always taken, whoever else holds it.
    AlertAnswerer answerer(QStringLiteral("OK"));
    startRecording();
    press(Qt::Key_F12, 88);
    EXPECT_EQ(readShortcut(name), Shortcut::fromCarbon(111, 0));
    EXPECT_EQ(answerer.shown, 0);
}

TEST_F(RecorderTest, NoHandlerRunsWhileRecording)
{
    int released = 0;
    onKeyUp(name, [&] { ++released; });
    QSignalSpy posts(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
    const FakeHotkeyBackend::Combination combination{5, {true, false, true, true}};

    startRecording();
    backend->press(combination);
    backend->release(combination);
    EXPECT_EQ(released, 0);

    press(Qt::Key_Escape, 1);
    backend->press(combination);
    backend->release(combination);
    EXPECT_EQ(released, 1);

    QList<bool> active;
    for (const QList<QVariant> &post : posts) {
        if (post.at(0).toString() == QLatin1String(recorderActiveStatusDidChange))
            active.append(post.at(1).toMap().value(QStringLiteral("isActive")).toBool());
    }
    EXPECT_EQ(active, (QList<bool>{true, false}));
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
             auto *other = new QWidget;
             other->setAttribute(Qt::WA_DeleteOnClose);
             other->show();
             other->activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(other));
             other->close();
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
        EXPECT_EQ(readShortcut(name), regionDefault);
    }
}

TEST_F(RecorderTest, RecordersOfOneNameStayInStep)
{
    RecorderCocoa twin(name);
    RecorderCocoa stranger(Name(QStringLiteral("captureWindow")));
    startRecording();
    press(Qt::Key_K, 37, shiftSuper);
    EXPECT_EQ(twin.text(), QStringLiteral("⇧⌘K"));

    name.setShortcut(Shortcut::fromCarbon(96, 0));
    EXPECT_EQ(twin.text(), QStringLiteral("F5"));
    EXPECT_EQ(field()->text(), QStringLiteral("F5"));
    EXPECT_EQ(stranger.text(), QString());
}

TEST_F(RecorderTest, OnlyAClickStartsRecording)
{
    // The window hands the field the keyboard back when it becomes active.
    field()->setFocus(Qt::ActiveWindowFocusReason);
    ASSERT_TRUE(field()->hasFocus());
    EXPECT_FALSE(field()->isRecording());
    press(Qt::Key_K, 37, shiftSuper);
    EXPECT_EQ(readShortcut(name), regionDefault);
    EXPECT_FALSE(isRecorderActive());

    QTest::mouseClick(field(), Qt::LeftButton);
    EXPECT_TRUE(field()->isRecording());
    EXPECT_EQ(field()->placeholderText(), QStringLiteral("Press Shortcut"));
}

} // namespace
