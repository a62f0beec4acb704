# Sources of the global keyboard shortcut library, relative to src/.
target_sources(quillet_core PRIVATE
    KeyboardShortcuts/CarbonKeyboardShortcuts.cpp KeyboardShortcuts/CarbonKeyboardShortcuts.h
    KeyboardShortcuts/Environment.h
    KeyboardShortcuts/Hotkeys.cpp KeyboardShortcuts/Hotkeys.h
    KeyboardShortcuts/Key.h
    KeyboardShortcuts/KeyNames.cpp KeyboardShortcuts/KeyNames.h
    KeyboardShortcuts/MenuTracker.cpp KeyboardShortcuts/MenuTracker.h
    KeyboardShortcuts/ModifierFlags.h
    KeyboardShortcuts/Name.h
    KeyboardShortcuts/PhysicalKeys.cpp KeyboardShortcuts/PhysicalKeys.h
    KeyboardShortcuts/Recorder.cpp KeyboardShortcuts/Recorder.h
    KeyboardShortcuts/RecorderCocoa.cpp KeyboardShortcuts/RecorderCocoa.h
    KeyboardShortcuts/RecorderConflicts.cpp KeyboardShortcuts/RecorderConflicts.h
    KeyboardShortcuts/Shortcut.cpp KeyboardShortcuts/Shortcut.h
    KeyboardShortcuts/SpecialKey.cpp KeyboardShortcuts/SpecialKey.h
    KeyboardShortcuts/State.cpp KeyboardShortcuts/State.h
    KeyboardShortcuts/Storage.cpp KeyboardShortcuts/Storage.h
    KeyboardShortcuts/Strings.cpp KeyboardShortcuts/Strings.h)
