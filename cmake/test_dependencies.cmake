# The packages only the tests need. A user's build without them still builds the show:
# the tests are left out with a warning. The project's own scripts ask for the tests to be
# required, so that a missing package can never turn into a green run of no tests.
option(TEXTSHOW_REQUIRE_TESTS "Fail to configure when a package the tests need is missing" OFF)

set(TEXTSHOW_TESTS OFF)
if(BUILD_TESTING AND CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's sources (package googletest) for exactly this: building it
  # with the cross compiler. The tests that need a terminal emulator stay on the build
  # machine, so libvterm is not wanted here.
  set(TEXTSHOW_GTEST_SOURCE /usr/src/googletest)
  if(EXISTS ${TEXTSHOW_GTEST_SOURCE}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TEXTSHOW_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
    set(TEXTSHOW_TESTS ON)
  elseif(TEXTSHOW_REQUIRE_TESTS)
    message(FATAL_ERROR "the cross-built tests need GoogleTest's sources (Debian: googletest)")
  endif()
elseif(BUILD_TESTING)
  find_package(GTest)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VTERM IMPORTED_TARGET GLOBAL vterm)
  if(GTest_FOUND AND VTERM_FOUND)
    include(GoogleTest)
    set(TEXTSHOW_TESTS ON)
  elseif(TEXTSHOW_REQUIRE_TESTS)
    message(FATAL_ERROR "the tests need GoogleTest and libvterm (Debian: googletest libvterm-dev)")
  else()
    message(WARNING "tests left out: they need GoogleTest and libvterm "
                    "(Debian: googletest libvterm-dev)")
  endif()
endif()
