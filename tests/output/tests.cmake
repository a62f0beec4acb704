# Test programs of this subsystem; paths relative to tests/.
quillet_add_test(PngWriterTest LABEL unit SOURCES output/PngWriterTest.cpp LIBS PkgConfig::DEFLATE)
