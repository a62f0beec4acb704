# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    setup/PermissionService.cpp setup/PermissionService.h)
