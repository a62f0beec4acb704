# Test programs of this subsystem; paths relative to tests/.
quillet_add_test(CaptureServiceTest LABEL unit
    SOURCES capture/CaptureServiceTest.cpp
    LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)
