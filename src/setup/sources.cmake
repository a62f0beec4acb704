# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    setup/MoveToApplications.cpp setup/MoveToApplications.h
    setup/OnboardingPages.cpp setup/OnboardingView.cpp setup/OnboardingView.h
    setup/PermissionService.cpp setup/PermissionService.h
    setup/SetupWidgets.cpp setup/SetupWidgets.h)
