# `cpack` in the build tree makes a Debian package (textshow_VERSION_ARCH.deb) that
# installs what `cmake --install` installs, under /usr. Its library dependencies are
# read off the programs by dpkg-shlibdeps. In the Windows build it makes a zip.
set(CPACK_PACKAGE_NAME textshow)
set(CPACK_PACKAGE_VENDOR "the textshow developers")
set(CPACK_PACKAGE_CONTACT "textshow developers <textshow@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "An 83-second audiovisual piece drawn in an 80 x 25 grid of code page 437 characters "
  "in 16 colours, with its own music as the clock: plasma rings, a burning word, a "
  "big-font scroller, a test screen and filters that wobble, zoom and twirl.")
if(WIN32)
  # For Windows, a zip of one folder: textshow-VERSION-win64.zip.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  # The debugging information of the RelWithDebInfo build stays in the build folder.
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
