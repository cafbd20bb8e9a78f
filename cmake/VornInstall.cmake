# Where `make package` puts things. The Windows zip is one folder: the
# programs at its top, the documents and examples beside them. The Debian
# package follows the file system's layout under /usr.
if(WIN32)
  set(VORN_INSTALL_BINDIR .)
  set(VORN_INSTALL_DOCDIR .)
  set(VORN_INSTALL_INCLUDEDIR include)
else()
  include(GNUInstallDirs)
  set(VORN_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(VORN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vorn)
  # Where the programs look for Vorn's include files: ../share/vorn/include
  # from the bin folder (include beside them in the zip).
  set(VORN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_DATADIR}/vorn/include)
endif()

# vorn_install_program(target): a program the packages carry. Called beside
# the target's add_executable.
function(vorn_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${VORN_INSTALL_BINDIR})
endfunction()
