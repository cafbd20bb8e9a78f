# The release packages (`make package`): a Debian package from the Linux
# build, a zip from the mingw build. The programs install themselves beside
# their targets (vorn_install_program); this file adds what a user reads and
# the desktop integration, then configures CPack.
set(VORN_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})

# Readable without a build: the README keeps its relative links to docs/
# and examples/, so all three sit side by side.
install(FILES README.md DESTINATION ${VORN_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${VORN_INSTALL_DOCDIR}/docs FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(DIRECTORY examples/ DESTINATION ${VORN_INSTALL_DOCDIR}/examples FILES_MATCHING PATTERN "*.vrn")

set(CPACK_PACKAGE_NAME vorn)
set(CPACK_PACKAGE_VENDOR "The Vorn developers")
set(CPACK_PACKAGE_VERSION ${VORN_PACKAGE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workbench for small automation programs run against a flight simulator through FSUIPC")
set(CPACK_PACKAGE_CONTACT "The Vorn developers <vorn@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vorn-${VORN_PACKAGE_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
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
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME vorn_${VORN_PACKAGE_VERSION}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vorn developers <vorn@localhost>")
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
