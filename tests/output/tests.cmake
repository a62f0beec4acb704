# Test programs of the output subsystem; paths relative to tests/.
quillet_add_test(FileServiceTest LABEL unit SOURCES output/FileServiceTest.cpp LIBS quillet_fakes)
quillet_add_test(ClipboardTest LABEL x11 SOURCES output/ClipboardTest.cpp LIBS quillet_fakes)
quillet_add_test(ImageWriterTest LABEL unit SOURCES output/ImageWriterTest.cpp LIBS PkgConfig::DEFLATE)
quillet_add_test(PromptPanelTest LABEL unit SOURCES output/PromptPanelTest.cpp LIBS quillet_fakes)
quillet_add_test(PreviewControllerTest LABEL unit SOURCES output/PreviewControllerTest.cpp LIBS quillet_fakes)

# Under openbox, which refuses focus to windows that open while the user
# works elsewhere unless asked the right way, and with no window manager.
quillet_add_test(PromptX11Test LABEL x11 SOURCES output/PromptX11Test.cpp X11_OPTIONS --wm)
add_test(NAME PromptX11Test_nowm COMMAND ${QUILLET_WITH_X11} -- $<TARGET_FILE:PromptX11Test>)
set_tests_properties(PromptX11Test_nowm PROPERTIES LABELS x11 ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8")
