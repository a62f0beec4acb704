# Test programs of the setup subsystem; paths relative to tests/.
quillet_add_test(PermissionServiceTest LABEL unit
    SOURCES setup/PermissionServiceTest.cpp LIBS quillet_fakes)
quillet_add_test(SettingsViewTest LABEL unit
    SOURCES setup/SettingsViewTest.cpp LIBS quillet_fakes)
