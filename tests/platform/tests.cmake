quillet_add_test(DefaultsStoreTest LABEL unit SOURCES platform/DefaultsStoreTest.cpp)
