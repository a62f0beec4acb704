# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    setup/ElidedLabel.cpp setup/ElidedLabel.h
    setup/FolderChooser.cpp setup/FolderChooser.h
    setup/MoveToApplications.cpp setup/MoveToApplications.h
    setup/NoTrayNotice.cpp setup/NoTrayNotice.h
    setup/OnboardingPages.cpp setup/OnboardingView.cpp setup/OnboardingView.h
    setup/PermissionService.cpp setup/PermissionService.h
    setup/PermissionStatusRow.cpp setup/PermissionStatusRow.h
    setup/SettingsView.cpp setup/SettingsView.h
    setup/SetupWidgets.cpp setup/SetupWidgets.h
    setup/SymbolImages.cpp setup/SymbolImages.h)

# The symbols of the setup screens, drawn as SVG in one colour and tinted
# where they are shown.
qt_add_resources(quillet_core quillet_symbols
    PREFIX /
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES
        ${PROJECT_SOURCE_DIR}/resources/symbols/arrow-up-and-down-text.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/battery-75percent.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/bolt-fill.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/camera-viewfinder.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/checkmark-circle-fill.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/checkmark-shield-fill.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/folder-badge-questionmark.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/folder-fill.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/folder.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/keyboard.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/line-3-horizontal-decrease.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/rectangle-dashed.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/shield-lefthalf-filled.svg
        ${PROJECT_SOURCE_DIR}/resources/symbols/wifi.svg)
