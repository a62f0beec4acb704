# Test programs of the output subsystem; paths relative to tests/.
quillet_add_test(FileServiceTest LABEL unit SOURCES output/FileServiceTest.cpp LIBS quillet_fakes)
