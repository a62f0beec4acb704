# Test programs of the setup subsystem; paths relative to tests/.
quillet_add_test(PermissionServiceTest LABEL unit
    SOURCES setup/PermissionServiceTest.cpp LIBS quillet_fakes)
quillet_add_test(SettingsViewTest LABEL unit
    SOURCES setup/SettingsViewTest.cpp LIBS quillet_fakes)
quillet_add_test(MoveToApplicationsTest LABEL unit SOURCES setup/MoveToApplicationsTest.cpp)
quillet_add_test(OnboardingViewTest LABEL unit SOURCES setup/OnboardingViewTest.cpp LIBS quillet_fakes)
