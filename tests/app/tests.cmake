# Test programs of the application shell; paths relative to tests/.
quillet_add_test(AppSettingsTest LABEL unit SOURCES app/AppSettingsTest.cpp)
