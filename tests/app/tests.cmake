# Test programs of the application shell; paths relative to tests/.
quillet_add_test(AppSettingsTest LABEL unit SOURCES app/AppSettingsTest.cpp)
quillet_add_test(MainScreenTest LABEL unit SOURCES app/MainScreenTest.cpp LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
# The shell over fakes, on the two offscreen screens of the capture tests.
quillet_add_test(ShellTest LABEL unit SOURCES app/ShellTest.cpp LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
quillet_add_test(CommandLineTest LABEL unit SOURCES app/CommandLineTest.cpp)
quillet_add_test(QuilletAppTest LABEL unit SOURCES app/QuilletAppTest.cpp LIBS quillet_fakes)
