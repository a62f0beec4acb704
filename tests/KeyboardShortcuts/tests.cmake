# Test programs of this subsystem; paths relative to tests/.
quillet_add_test(ShortcutModelTest LABEL unit
    SOURCES KeyboardShortcuts/ShortcutModelTest.cpp KeyboardShortcuts/ShortcutsTestSupport.h
    LIBS quillet_fakes)
quillet_add_test(ShortcutStorageTest LABEL unit
    SOURCES KeyboardShortcuts/ShortcutStorageTest.cpp KeyboardShortcuts/ShortcutsTestSupport.h
    LIBS quillet_fakes)
quillet_add_test(HotkeyDispatchTest LABEL unit
    SOURCES KeyboardShortcuts/HotkeyDispatchTest.cpp KeyboardShortcuts/ShortcutsTestSupport.h
    LIBS quillet_fakes)
quillet_add_test(HotkeyX11Test LABEL x11 SOURCES KeyboardShortcuts/HotkeyX11Test.cpp)
quillet_add_test(RecorderTest LABEL unit
    SOURCES KeyboardShortcuts/RecorderTest.cpp KeyboardShortcuts/ShortcutsTestSupport.h
    LIBS quillet_fakes)
quillet_add_test(RecorderX11Test LABEL x11 SOURCES KeyboardShortcuts/RecorderX11Test.cpp)
