#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

namespace KeyboardShortcuts {

enum class EventType { keyDown, keyUp };

// Runs the action each time the name's shortcut is pressed (released),
// whatever shortcut is stored for the name at that moment; handlers of one
// name run in the order they were added, none while a recorder records.
void onKeyDown(const Name &name, std::function<void()> action);
void onKeyUp(const Name &name, std::function<void()> action);

void removeHandlers(const Name &name);
void clearAllHandlers();

// Releases (takes back) the hotkeys of these names; their handlers stay.
void suspendShortcuts(const QList<Name> &names);
void resumeShortcuts(const QList<Name> &names);

bool isShortcutRegistered(const Name &name);

// The names with handlers or streams whose stored shortcut the hotkey
// registration `id` stands for, in the order they were first given one.
QList<Name> namesOfRegistration(quint32 id);

// The global switch: while false no hotkey is grabbed.
bool hotkeysEnabled();
void setHotkeysEnabled(bool enabled);

// True while one of our menus is open (it then holds the keyboard).
bool isMenuOpen();
void setMenuOpen(bool open);

// Set by the recorder control while it records: no handler runs meanwhile.
bool isRecorderActive();
void setRecorderActive(bool active);

// Starts watching our menus; runs whenever a Name is made.
void initializeOnce();

// A subscription to the presses and releases of one name's shortcut; it
// emits for as long as it lives.
class KeyEventStream : public QObject
{
    Q_OBJECT

public:
    ~KeyEventStream() override;

signals:
    void keyEvent(KeyboardShortcuts::EventType type);

private:
    friend std::unique_ptr<KeyEventStream> keyEvents(const Name &, std::optional<EventType>);
    KeyEventStream(const Name &name, std::optional<EventType> only);

    Name m_name;
    quint64 m_id = 0;
};

// Every press and release of the name's shortcut, or only those of `only`.
std::unique_ptr<KeyEventStream> keyEvents(const Name &name, std::optional<EventType> only = std::nullopt);

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::EventType)
