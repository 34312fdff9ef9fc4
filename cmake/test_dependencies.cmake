# The packages only the tests need. A user's build without them still builds the show:
# the tests are left out with a warning. The project's own scripts ask for the tests to be
# required, so that a missing package can never turn into a green run of no tests.
option(TEXTSHOW_REQUIRE_TESTS "Fail to configure when a package the tests need is missing" OFF)

set(TEXTSHOW_TESTS OFF)
if(BUILD_TESTING)
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
