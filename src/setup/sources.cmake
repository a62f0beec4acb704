# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    setup/ElidedLabel.cpp setup/ElidedLabel.h
    setup/FolderChooser.cpp setup/FolderChooser.h
    setup/MoveToApplications.cpp setup/MoveToApplications.h
    setup/OnboardingPages.cpp setup/OnboardingView.cpp setup/OnboardingView.h
    setup/PermissionService.cpp setup/PermissionService.h
    setup/PermissionStatusRow.cpp setup/PermissionStatusRow.h
    setup/SettingsView.cpp setup/SettingsView.h
    setup/SetupWidgets.cpp setup/SetupWidgets.h
    setup/SymbolImages.cpp setup/SymbolImages.h)
