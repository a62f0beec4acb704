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
# Under openbox: its own key bindings are combinations another program holds.
quillet_add_test(HotkeyX11Test LABEL x11 SOURCES KeyboardShortcuts/HotkeyX11Test.cpp X11_OPTIONS --wm)
quillet_add_test(RecorderTest LABEL unit
    SOURCES KeyboardShortcuts/RecorderTest.cpp KeyboardShortcuts/ShortcutsTestSupport.h
    LIBS quillet_fakes)

# Its own main: the shared one makes the QApplication before any test runs.
add_executable(HotkeyStartupTest KeyboardShortcuts/HotkeyStartupTest.cpp)
target_link_libraries(HotkeyStartupTest PRIVATE quillet_core quillet_warnings GTest::gtest_main)
add_test(NAME HotkeyStartupTest COMMAND HotkeyStartupTest)
set(startup_home ${CMAKE_CURRENT_BINARY_DIR}/HotkeyStartupTest-home)
set_tests_properties(HotkeyStartupTest PROPERTIES LABELS unit ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;HOME=${startup_home};XDG_CONFIG_HOME=${startup_home}/.config;XDG_CACHE_HOME=${startup_home}/.cache")
