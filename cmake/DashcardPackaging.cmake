# The Debian package: `cpack -G DEB` in a build tree. Run-time libraries are
# found by dpkg-shlibdeps from the installed binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dashcard)
set(CPACK_PACKAGE_VENDOR "The Dashcard developers")
set(CPACK_PACKAGE_CONTACT "The Dashcard developers <dashcard@dashcard.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the memory card of a vehicle camera")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Dashcard opens the memory card of a vehicle camera and shows the front and\n"
  "rear videos in step, the route on a map and the speed and G-sensor graph.\n"
  "It exports KML, backs up cards, captures stills and edits the camera's\n"
  "settings file. dashcard-cli does the same work from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://dashcard.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, fonts-dejavu-core, fonts-noto-cjk | fonts-ipafont-gothic, libqt6sql6-sqlite, qt6-image-formats-plugins")
include(CPack)
