# The release packages (`make package`): a Debian package from the Linux
# build, an installer and a zip from the mingw build. The programs install themselves beside
# their targets (vorn_install_program); this file adds what a user reads and
# the desktop integration, then configures CPack.
set(VORN_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
# The programs' version resource (workbench/version_info.h) carries the
# same version as the packages: a build where they differ stops here.
file(STRINGS ${PROJECT_SOURCE_DIR}/workbench/version_info.h vorn_file_version REGEX "^#define VORN_FILE_VERSION_TEXT ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" vorn_file_version "${vorn_file_version}")
if(NOT vorn_file_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "workbench/version_info.h says ${vorn_file_version}, the project ${PROJECT_VERSION}")
endif()

# Readable without a build: the README keeps its relative links to docs/
# and examples/, so all three sit side by side.
install(FILES README.md DESTINATION ${VORN_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${VORN_INSTALL_DOCDIR}/docs FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(DIRECTORY examples/ DESTINATION ${VORN_INSTALL_DOCDIR}/examples FILES_MATCHING PATTERN "*.vrn")
include(cmake/VornUserGuide.cmake)

set(CPACK_PACKAGE_NAME vorn)
set(CPACK_PACKAGE_VENDOR "The Vorn developers")
set(CPACK_PACKAGE_VERSION ${VORN_PACKAGE_VERSION})
# Debian's synopsis stays under 80 characters; the rest is the extended description.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for flight simulator automation programs (FSUIPC)")
set(CPACK_PACKAGE_DESCRIPTION "Vorn is a desktop workbench for small automation programs that run against
a flight simulator through FSUIPC. Programs are written in Vorn's own
script language: typed globals bound to simulator offsets, hot-key
routines and background sequences.
.
The package holds the workbench (vorn), the command-line compiler and
runner (vornc), a simulated FSUIPC server for machines without a
simulator (vorn-sim), the examples and the documents.")
set(VORN_PACKAGE_MAINTAINER "Vorn maintainers <maintainers@users.noreply.c-seed-d2933506.example>"
    CACHE STRING "Name <address> the packages give as their maintainer")
set(CPACK_PACKAGE_CONTACT "${VORN_PACKAGE_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES LICENSE DESTINATION .)
  # The installer first; the zip stays for those who want none.
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME vorn-${VORN_PACKAGE_VERSION}-win64)
  include(cmake/VornNsis.cmake)
else()
  # Debian keeps a package's licence as /usr/share/doc/<package>/copyright.
  install(FILES LICENSE DESTINATION ${VORN_INSTALL_DOCDIR} RENAME copyright)
  if(TARGET vorn)
    # The icon is the toolbar's "compiled" picture, written as SVG from the
    # shape description both windows paint.
    add_executable(vorn_icon resources/icon_main.cpp)
    target_link_libraries(vorn_icon PRIVATE vorn_workbench vorn_options)
    target_include_directories(vorn_icon PRIVATE ${PROJECT_SOURCE_DIR})
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/vorn.svg
      COMMAND vorn_icon ${PROJECT_BINARY_DIR}/vorn.svg
      DEPENDS vorn_icon
      COMMENT "vorn.svg from the toolbar pictures"
      VERBATIM)
    add_custom_target(vorn_icon_svg ALL DEPENDS ${PROJECT_BINARY_DIR}/vorn.svg)
    install(FILES resources/vorn.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_BINARY_DIR}/vorn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    # .vrn files: their own type, shown with the same picture.
    install(FILES resources/vorn-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vorn.xml)
    install(FILES ${PROJECT_BINARY_DIR}/vorn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
            RENAME text-x-vorn.svg)
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME vorn_${VORN_PACKAGE_VERSION}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORN_PACKAGE_MAINTAINER}")
  # A Debian revision, so that the changelog is changelog.Debian.gz; the
  # file keeps the plain version in its name.
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(VORN_DEBIAN_VERSION ${VORN_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
  include(cmake/VornDebianFiles.cmake)
  # The shared libraries (the Qt 6 runtime among them) come from the
  # programs themselves; the platform plugins Qt loads at run time do not.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(TARGET vorn)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  endif()
endif()
include(CPack)

# Each package is unpacked and its vornc run on an example, against the
# vornc of this build.
if(VORN_BUILD_TESTS AND TARGET vornc)
  add_test(NAME package.unpacks_and_compiles
    COMMAND ${PROJECT_SOURCE_DIR}/tests/package/package_test
            ${PROJECT_BINARY_DIR} $<TARGET_FILE:vornc> ${PROJECT_SOURCE_DIR})
  set_tests_properties(package.unpacks_and_compiles PROPERTIES LABELS package TIMEOUT 300)
  if(WIN32)
    set_tests_properties(package.unpacks_and_compiles PROPERTIES LABELS "package;windows")
  endif()
endif()
