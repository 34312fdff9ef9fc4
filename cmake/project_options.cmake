# Warnings and sanitizers for the project's own targets. Every library and program of
# ours links textshow_options; system libraries are found through their own packages.
add_library(textshow_options INTERFACE)
target_compile_options(textshow_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wformat=2 -Wundef)
# The pictures must be the same to the bit on every platform, so a multiply and an add are
# never fused into one differently rounded step, whatever the target's instruction set.
target_compile_options(textshow_options INTERFACE -ffp-contract=off)
# A newer compiler than ours may warn about something new; that must not break a user's
# build, so only the project's own scripts and CI make warnings fatal.
if(TEXTSHOW_WARNINGS_AS_ERRORS)
  target_compile_options(textshow_options INTERFACE -Werror)
endif()

# The web build's standard library lacks a piece of C++20 that newer ones have.
if(EMSCRIPTEN)
  target_compile_options(textshow_options INTERFACE
    -include ${PROJECT_SOURCE_DIR}/platform/web/std_bit_cast.hpp)
endif()

if(TEXTSHOW_SANITIZE)
  # The sanitizers' instrumentation makes GCC 12 report uninitialised reads inside the
  # standard library's own headers (std::regex, std::function) that are not there; the
  # sanitizer run itself is the better judge of real ones.
  target_compile_options(textshow_options INTERFACE -Wno-maybe-uninitialized)
  target_compile_options(textshow_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # Instrumented code compiles twice as fast at -O1 with line tables only as at -O2 with
  # full debug information, finds the same faults, and its reports still name the line.
  target_compile_options(textshow_options INTERFACE -O1 -g1)
  target_link_options(textshow_options INTERFACE -fsanitize=address,undefined)
endif()

# One test program per folder of the house, linked with the given libraries; each
# discovered test is registered with CTest and runs in the build's tests/ folder.
#   textshow_test_folder(NAME [SERIAL_TESTS filter] [ALONE_TESTS filter] [COST seconds]
#                        SOURCES ... [POSIX_SOURCES ...] [WIN32_SOURCES ...] LIBRARIES ...)
# POSIX_SOURCES need POSIX calls or a pseudo-terminal and are built for POSIX systems only;
# WIN32_SOURCES test the Windows services and are built for Windows only. The tests the
# GoogleTest filter SERIAL_TESTS names run alone and carry the label wall_clock: they
# measure time against the wall clock, which other programs' load would upset. The tests
# ALONE_TESTS names run alone too, but in every build: they compare two clocks that load
# pulls apart, and keep their pace under the sanitizers. COST is
# about the longest a test of the folder takes, so that CTest starts the long ones first
# and the short ones fill the time beside them.
function(textshow_test_folder name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SERIAL_TESTS;ALONE_TESTS;COST"
                        "SOURCES;POSIX_SOURCES;WIN32_SOURCES;LIBRARIES")
  set(sources ${arg_SOURCES})
  if(WIN32)
    list(APPEND sources ${arg_WIN32_SOURCES})
  else()
    list(APPEND sources ${arg_POSIX_SOURCES})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} textshow_options GTest::gtest
                        GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TEXTSHOW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TEXTSHOW_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Cross-built tests are listed under the emulator when CTest starts, one program after
  # another, rather than by the build right after linking, where wine now and then failed
  # to end a program started next to another one.
  set(discovery_mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(discovery_mode PRE_TEST)
  endif()
  set(discover ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests DISCOVERY_TIMEOUT 60
      DISCOVERY_MODE ${discovery_mode})
  set(cost 0)
  if(arg_COST)
    set(cost ${arg_COST})
  endif()
  set(apart "")
  if(arg_SERIAL_TESTS)
    gtest_discover_tests(${discover} TEST_FILTER ${arg_SERIAL_TESTS}
                         PROPERTIES RUN_SERIAL TRUE LABELS wall_clock COST ${cost})
    list(APPEND apart ${arg_SERIAL_TESTS})
  endif()
  if(arg_ALONE_TESTS)
    gtest_discover_tests(${discover} TEST_FILTER ${arg_ALONE_TESTS}
                         PROPERTIES RUN_SERIAL TRUE COST ${cost})
    list(APPEND apart ${arg_ALONE_TESTS})
  endif()
  set(others *)
  if(apart)
    list(JOIN apart ":" apart)
    set(others -${apart})
  endif()
  gtest_discover_tests(${discover} TEST_FILTER ${others} PROPERTIES COST ${cost})
endfunction()
