# What `cmake --install` puts where: the show and the tools people run in bin/, the
# soundtrack and the two screens (made by the build's own tools) in share/textshow/,
# which the program finds relative to itself.
install(TARGETS textshow show-frames show-export post-filter screen-convert
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
          ${CMAKE_BINARY_DIR}/bin/soundtrack.avi.txt
          ${CMAKE_BINARY_DIR}/bin/screen-a.jpg
          ${CMAKE_BINARY_DIR}/bin/screen-b.jpg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/textshow)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
