# Test programs of the application shell; paths relative to tests/.
quillet_add_test(AppSettingsTest LABEL unit SOURCES app/AppSettingsTest.cpp)
quillet_add_test(MainScreenTest LABEL unit SOURCES app/MainScreenTest.cpp LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
# The shell over fakes, on the two offscreen screens of the capture tests.
quillet_add_test(HotkeyServiceTest LABEL unit
    SOURCES app/HotkeyServiceTest.cpp app/ShellFixture.h LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
quillet_add_test(MenuBarViewTest LABEL unit
    SOURCES app/MenuBarViewTest.cpp app/ShellFixture.h LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
