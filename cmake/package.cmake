# `cpack` in the build tree makes a Debian package (textshow_VERSION_ARCH.deb) that
# installs what `cmake --install` installs, under /usr. Its library dependencies are
# read off the programs by dpkg-shlibdeps. In the Windows build it makes a zip.
set(CPACK_PACKAGE_NAME textshow)
set(CPACK_PACKAGE_VENDOR "the textshow developers")
set(CPACK_PACKAGE_CONTACT "textshow developers <textshow@example.org>")
# Debian's tools want a synopsis without an article and short lines in the long text.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running text-mode audiovisual show for the terminal")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "textshow plays an 83-second piece in any terminal, with its own music:\n"
  "plasma rings, a burning word, a big-font scroller, a test screen and\n"
  "filters that wobble, zoom and twirl, drawn in an 80 x 25 grid of code\n"
  "page 437 characters in 16 colours and timed by the music as it is heard.\n"
  "Escape ends it; the terminal is always given back as it was found.\n"
  ".\n"
  "Its tools render any moment of the show to files (show-frames), the\n"
  "whole show to a video or a terminal recording (show-export), run a sound\n"
  "through the show's lo-fi filter (post-filter) and turn screens from their\n"
  "text form into the bytes the show loads (screen-convert).")
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
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The package's history (docs/package/changelog) names this version at its top.
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/package/changelog textshow_latest_change LIMIT_COUNT 1)
if(NOT textshow_latest_change MATCHES "^textshow \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "docs/package/changelog does not begin with version ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
