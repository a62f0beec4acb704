# The portal screen cast and its PipeWire frames. PipeWire's headers are
# seen only by the one file that reads the frames, built on its own.
add_library(quillet_pipewire OBJECT platform/wayland/PipeWireFrames.cpp platform/wayland/PipeWireFrames.h)
target_include_directories(quillet_pipewire PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillet_pipewire PRIVATE Qt6::Core Qt6::Gui PkgConfig::PIPEWIRE quillet_warnings)
target_link_libraries(quillet_core PRIVATE quillet_pipewire ${PIPEWIRE_LINK_LIBRARIES})
target_sources(quillet_core PRIVATE
    platform/wayland/PortalScreenCast.cpp platform/wayland/PortalScreenCast.h)
