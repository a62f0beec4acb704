# Test programs of the output subsystem; paths relative to tests/.
quillet_add_test(FileServiceTest LABEL unit SOURCES output/FileServiceTest.cpp LIBS quillet_fakes)
quillet_add_test(ClipboardTest LABEL x11 SOURCES output/ClipboardTest.cpp LIBS quillet_fakes)
quillet_add_test(PromptPanelTest LABEL unit SOURCES output/PromptPanelTest.cpp LIBS quillet_fakes)
quillet_add_test(PreviewControllerTest LABEL unit SOURCES output/PreviewControllerTest.cpp LIBS quillet_fakes)
