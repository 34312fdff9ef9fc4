# The data files' names, from data/file-names.txt: TEXTSHOW_DATA_<what> for each line
# ("soundtrack soundtrack.avi.txt" gives TEXTSHOW_DATA_soundtrack) and TEXTSHOW_DATA_FILES,
# all of them in the list's order. The code gets them from a generated header, so that a
# file is renamed in the list alone.
set(textshow_data_list ${PROJECT_SOURCE_DIR}/data/file-names.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${textshow_data_list})
file(STRINGS ${textshow_data_list} textshow_data_lines REGEX "^[a-z_]+ [^ ]+$")
set(TEXTSHOW_DATA_FILES)
foreach(line IN LISTS textshow_data_lines)
  string(REPLACE " " ";" fields "${line}")
  list(GET fields 0 what)
  list(GET fields 1 name)
  set(TEXTSHOW_DATA_${what} ${name})
  list(APPEND TEXTSHOW_DATA_FILES ${name})
endforeach()
foreach(what soundtrack screen_a screen_b)
  if(NOT TEXTSHOW_DATA_${what})
    message(FATAL_ERROR "data/file-names.txt names no ${what}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/data_file_names.hpp.in
               ${CMAKE_BINARY_DIR}/generated/base/data_file_names.hpp @ONLY)
