# The portal screen cast and its PipeWire frames. PipeWire's headers are
# seen only by the one file that reads the frames.
target_sources(quillet_wayland PRIVATE
    platform/wayland/PipeWireFrames.cpp platform/wayland/PipeWireFrames.h
    platform/wayland/PortalScreenCast.cpp platform/wayland/PortalScreenCast.h)
set_source_files_properties(platform/wayland/PipeWireFrames.cpp PROPERTIES
    INCLUDE_DIRECTORIES "${PIPEWIRE_INCLUDE_DIRS}" COMPILE_OPTIONS "${PIPEWIRE_CFLAGS_OTHER}")
target_link_libraries(quillet_wayland PUBLIC ${PIPEWIRE_LINK_LIBRARIES})
