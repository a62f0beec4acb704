# Test programs of this subsystem; paths relative to tests/.
quillet_add_test(CaptureServiceTest LABEL unit
    SOURCES capture/CaptureServiceTest.cpp
    LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)

# One display, two RandR monitors at scale 1 and 2, and fractional scales on
# a screen whose size in points is not whole.
quillet_add_test(CaptureX11Test LABEL x11 SOURCES capture/CaptureX11Test.cpp)
set_tests_properties(CaptureX11Test PROPERTIES ENVIRONMENT
    "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8;GTEST_FILTER=CaptureX11Test.*:Screens.*")
foreach(scale 1 2)
    add_test(NAME CaptureX11Test_monitors_scale${scale}
        COMMAND ${QUILLET_WITH_X11} -- ${CMAKE_CURRENT_SOURCE_DIR}/capture/with-monitors
                $<TARGET_FILE:CaptureX11Test> --gtest_filter=Screens.*)
    set_tests_properties(CaptureX11Test_monitors_scale${scale} PROPERTIES LABELS x11
        ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8;QT_SCALE_FACTOR=${scale};SCREENS=2")
endforeach()
foreach(scale 1.25 1.5 1.75)
    add_test(NAME CaptureX11Test_scale${scale}
        COMMAND ${QUILLET_WITH_X11} --size 1283x803x24 -- $<TARGET_FILE:CaptureX11Test>
                --gtest_filter=Screens.*:Scale.*)
    set_tests_properties(CaptureX11Test_scale${scale} PROPERTIES LABELS x11
        ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8;QT_SCALE_FACTOR=${scale}")
endforeach()

# Owns the compositing manager's selection and redirects nothing.
add_executable(idle-compositor capture/IdleCompositor.cpp)
target_link_libraries(idle-compositor PRIVATE PkgConfig::XCB quillet_warnings)

# Under openbox, without and with a compositing manager.
quillet_add_test(CaptureX11WindowTest LABEL x11
    SOURCES capture/CaptureX11WindowTest.cpp LIBS quillet_fakes X11_OPTIONS --wm)
target_compile_definitions(CaptureX11WindowTest PRIVATE IDLE_COMPOSITOR="$<TARGET_FILE:idle-compositor>")
add_test(NAME CaptureX11WindowTest_composited
    COMMAND ${QUILLET_WITH_X11} --wm --compositor -- $<TARGET_FILE:CaptureX11WindowTest>)
set_tests_properties(CaptureX11WindowTest_composited PROPERTIES LABELS x11
    ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8")

quillet_add_test(OverlayServiceTest LABEL unit
    SOURCES capture/OverlayServiceTest.cpp
    LIBS quillet_fakes
    ENVIRONMENT QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/capture/two-screens.json)

# The overlay on two RandR monitors under openbox, without and with a
# compositing manager.
add_executable(OverlayX11Test capture/OverlayX11Test.cpp)
target_link_libraries(OverlayX11Test PRIVATE quillet_test_support quillet_warnings)
foreach(variant plain composited)
    set(options --wm)
    if(variant STREQUAL "composited")
        list(APPEND options --compositor)
    endif()
    add_test(NAME OverlayX11Test_${variant}
        COMMAND ${QUILLET_WITH_X11} ${options} -- ${CMAKE_CURRENT_SOURCE_DIR}/capture/with-monitors
                $<TARGET_FILE:OverlayX11Test>)
    set_tests_properties(OverlayX11Test_${variant} PROPERTIES LABELS x11
        ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8")
endforeach()
# One case asks for an output larger than memory: under AddressSanitizer
# that must come back as a failed allocation, as it does without it.
quillet_add_test(FrameStitcherTest LABEL unit SOURCES capture/FrameStitcherTest.cpp
    ENVIRONMENT ASAN_OPTIONS=allocator_may_return_null=1)
quillet_add_test(CountdownOverlayTest LABEL unit SOURCES capture/CountdownOverlayTest.cpp LIBS quillet_fakes)

quillet_add_test(ScrollCaptureServiceTest LABEL unit
    SOURCES capture/ScrollCaptureServiceTest.cpp LIBS quillet_fakes)

quillet_add_test(ScreenCastFramesTest LABEL unit
    SOURCES capture/ScreenCastFramesTest.cpp LIBS quillet_fakes)

quillet_add_test(ScrollCaptureX11Test LABEL x11
    SOURCES capture/ScrollCaptureX11Test.cpp LIBS quillet_fakes X11_OPTIONS --wm)
