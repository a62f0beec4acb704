# End-to-end: the real quillet program on a private 1920×1080 display with
# openbox and a tray, driven from outside. Each file is a program of its own
# on a display of its own; QuilletE2E.h says how to add a case.
add_library(quillet_e2e_support STATIC e2e/QuilletE2E.cpp e2e/QuilletE2E.h)
target_link_libraries(quillet_e2e_support PUBLIC quillet_test_support PRIVATE quillet_warnings)
target_compile_definitions(quillet_e2e_support PUBLIC QUILLET_BINARY="$<TARGET_FILE:quillet>")
add_dependencies(quillet_e2e_support quillet)

function(quillet_add_e2e_test name)
    quillet_add_test(${name} LABEL e2e SOURCES e2e/${name}.cpp LIBS quillet_e2e_support
        X11_OPTIONS --wm --tray --size 1920x1080x24)
endfunction()

quillet_add_e2e_test(CaptureE2ETest)
quillet_add_e2e_test(MenuE2ETest)
# The settings window is laid out in the test too, with a fake permission.
target_link_libraries(MenuE2ETest PRIVATE quillet_fakes)
quillet_add_e2e_test(SettingsE2ETest)
quillet_add_e2e_test(OnboardingE2ETest)
quillet_add_e2e_test(CommandLineE2ETest)
# A listening socket that never answers stands for a wedged session bus.
target_link_libraries(CommandLineE2ETest PRIVATE Qt6::Network)
# Started without a tray host: the test starts one itself.
quillet_add_test(NoTrayE2ETest LABEL e2e SOURCES e2e/NoTrayE2ETest.cpp LIBS quillet_e2e_support
    X11_OPTIONS --wm --size 1920x1080x24)
