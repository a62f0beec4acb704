quillet_add_test(DefaultsStoreTest LABEL unit SOURCES platform/DefaultsStoreTest.cpp)
quillet_add_test(CompositingManagerX11Test LABEL x11 SOURCES platform/CompositingManagerX11Test.cpp)
quillet_add_test(SoundPlayerTest LABEL unit SOURCES platform/SoundPlayerTest.cpp)
quillet_add_test(XdgAutostartLoginItemsTest LABEL unit SOURCES platform/XdgAutostartLoginItemsTest.cpp)
# The XEmbed tray's selection and the StatusNotifierItem watcher, on a
# display and a session bus of its own.
quillet_add_test(TrayAvailabilityTest LABEL x11 SESSION_BUS SOURCES platform/TrayAvailabilityTest.cpp)
quillet_add_test(WaylandScreenGrabberTest LABEL unit SOURCES platform/WaylandScreenGrabberTest.cpp)
quillet_add_test(GnomeHotkeyBackendTest LABEL unit SOURCES platform/GnomeHotkeyBackendTest.cpp)
# GNOME's settings in memory: nothing reaches a real desktop's.
quillet_add_test(GnomeKeyboardLayoutTest LABEL unit SOURCES platform/GnomeKeyboardLayoutTest.cpp
    ENVIRONMENT GSETTINGS_BACKEND=memory)
