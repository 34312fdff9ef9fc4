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
# What `cmake --install` puts where: the show and the tools people run in bin/, the
# soundtrack and the two screens (made by the build's own tools) in share/textshow/,
# which the program finds relative to itself.
install(TARGETS textshow show-frames post-filter screen-convert
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET show-export)
  install(TARGETS show-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${textshow_built_data} DESTINATION ${CMAKE_INSTALL_DATADIR}/textshow)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
