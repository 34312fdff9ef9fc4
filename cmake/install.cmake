# The data files, where the build makes them beside the programs.
list(TRANSFORM TEXTSHOW_DATA_FILES PREPEND ${CMAKE_BINARY_DIR}/bin/ OUTPUT_VARIABLE textshow_built_data)
if(WIN32)
  # Windows users unpack a folder and start textshow.exe in it: the data files lie beside
  # the programs, where the show looks first, with a short text on how to start it, in
  # Windows line ends so that every Notepad shows its lines.
  configure_file(${PROJECT_SOURCE_DIR}/docs/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt
                 @ONLY NEWLINE_STYLE WIN32)
  install(TARGETS textshow show-frames post-filter RUNTIME DESTINATION .)
  install(FILES ${textshow_built_data} ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
  return()
endif()
# What `cmake --install` puts where: the show and the tools that look at it in games/,
# the soundtrack and the two screens (made by the build's own tools) in share/textshow/,
# which every program finds relative to itself; a manual page for each program, and the
# copyright and the history of changes, compressed as Debian keeps them.
install(TARGETS textshow show-frames post-filter screen-convert
        RUNTIME DESTINATION ${TEXTSHOW_INSTALL_GAMESDIR})
set(textshow_manual_pages textshow.6 show-frames.1 post-filter.1 screen-convert.1)
if(TARGET show-export)
  install(TARGETS show-export RUNTIME DESTINATION ${TEXTSHOW_INSTALL_GAMESDIR})
  list(APPEND textshow_manual_pages show-export.1)
endif()
install(FILES ${textshow_built_data} DESTINATION ${CMAKE_INSTALL_DATADIR}/textshow)

# gzip -n leaves the file's name and time out, so the same page always packs the same.
function(textshow_compressed source compressed)
  add_custom_command(OUTPUT ${compressed}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${source} ${compressed}
    DEPENDS ${source} VERBATIM)
endfunction()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/compressed)
set(compressed_files)
foreach(page IN LISTS textshow_manual_pages)
  string(REGEX MATCH "[0-9]$" section ${page})
  set(compressed ${CMAKE_BINARY_DIR}/compressed/${page}.gz)
  textshow_compressed(${PROJECT_SOURCE_DIR}/docs/man/${page} ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND compressed_files ${compressed})
endforeach()
textshow_compressed(${PROJECT_SOURCE_DIR}/docs/package/changelog
                    ${CMAKE_BINARY_DIR}/compressed/changelog.gz)
add_custom_target(compressed_documents ALL
                  DEPENDS ${compressed_files} ${CMAKE_BINARY_DIR}/compressed/changelog.gz)
install(FILES README.md docs/package/copyright ${CMAKE_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
