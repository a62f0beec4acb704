# Sources of the output subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    output/PngWriter.cpp output/PngWriter.h)
