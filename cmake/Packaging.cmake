# `cpack -G DEB` builds a Debian package of what `cmake --install` lays out.
# The shared libraries the program links are found by dpkg-shlibdeps; what it
# loads at run time is named by hand: Qt's X11 platform plugin, the SVG
# icon engine that draws the windows' icons, and libcanberra, loaded with
# the first sound. The sound theme only adds the capture sound, so it is a
# recommendation.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "The Quillet developers")
set(CPACK_PACKAGE_CONTACT "The Quillet developers <quillet@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screenshot tool for the system tray")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillet lives in the system tray and takes screenshots of a region, a window, the whole display or a long scrolling page, from global shortcuts, its tray menu or the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# qt6-wayland: a Wayland session runs Quillet on Qt's wayland platform. On
# GNOME the screen is read through the desktop portal and the tray needs
# the AppIndicator extension.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, libqt6svg6, libcanberra0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "sound-theme-freedesktop, xdg-desktop-portal-gnome | xdg-desktop-portal-backend, gnome-shell-extension-appindicator")
include(CPack)
