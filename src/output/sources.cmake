# Sources of the output subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    output/PngChunks.cpp output/PngChunks.h
    output/PngRows.cpp output/PngRows.h
    output/PngStrip.cpp output/PngStrip.h
    output/PngWriter.cpp output/PngWriter.h)
target_link_libraries(quillet_core PRIVATE PkgConfig::ISAL)
