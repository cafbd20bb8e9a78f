# What Debian asks of a package beside the programs: a compressed changelog
# and a man page for every program, made from what its --help prints
# (scripts/help-to-man), so page and help never disagree.
find_program(VORN_GZIP gzip REQUIRED)
set(vorn_debian_dir ${PROJECT_BINARY_DIR}/debian)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${vorn_debian_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${vorn_debian_dir}/changelog.Debian.gz
  COMMAND ${VORN_GZIP} -9nc ${vorn_debian_dir}/changelog > ${vorn_debian_dir}/changelog.Debian.gz
  DEPENDS ${vorn_debian_dir}/changelog
  VERBATIM)
set(vorn_debian_outputs ${vorn_debian_dir}/changelog.Debian.gz)
install(FILES ${vorn_debian_dir}/changelog.Debian.gz DESTINATION ${VORN_INSTALL_DOCDIR})

# vorn_man_page(program "summary"): PROGRAM.1.gz from `PROGRAM --help` and
# `PROGRAM help CMD` of every command that lists.
function(vorn_man_page program summary)
  if(NOT TARGET ${program})
    return()
  endif()
  set(page ${vorn_debian_dir}/man/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${vorn_debian_dir}/man
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/help-to-man ${program} ${VORN_PACKAGE_VERSION} "${summary}"
            ${page} $<TARGET_FILE:${program}>
    COMMAND ${VORN_GZIP} -9nf ${page}
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/scripts/help-to-man
    COMMENT "${program}.1 from ${program} --help"
    VERBATIM)
  set(vorn_debian_outputs ${vorn_debian_outputs} ${page}.gz PARENT_SCOPE)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

vorn_man_page(vornc "compile and run Vorn programs")
vorn_man_page(vorn-sim "a simulated FSUIPC server")
vorn_man_page(vorn "the Vorn workbench")
add_custom_target(vorn_debian_files ALL DEPENDS ${vorn_debian_outputs})
# The one lintian tag the package answers for, with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vorn)
