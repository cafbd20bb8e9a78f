# The user's guide, docs/guide.md, as one HTML page (cmark-gfm) with the
# pictures it shows beside it in docs/: in the build tree, where the
# windows' Help > User's Guide finds it when run from there, and in every
# package's document folder.
find_program(VORN_CMARK_GFM cmark-gfm)
if(NOT VORN_CMARK_GFM)
  message(STATUS "cmark-gfm not found (scripts/bootstrap package installs it): no user's guide in this build")
  return()
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/guide.md vorn_guide_pictures REGEX "\\]\\([^)]*\\.png\\)")
set(vorn_guide_picture_files)
foreach(line ${vorn_guide_pictures})
  string(REGEX REPLACE ".*\\]\\(([^)]*\\.png)\\).*" "\\1" picture "${line}")
  list(APPEND vorn_guide_picture_files ${PROJECT_SOURCE_DIR}/docs/${picture})
endforeach()
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/guide.html
  COMMAND ${CMAKE_COMMAND} -DCMARK=${VORN_CMARK_GFM} -DIN=${PROJECT_SOURCE_DIR}/docs/guide.md
          -DOUT=${PROJECT_BINARY_DIR}/guide.html -P ${PROJECT_SOURCE_DIR}/cmake/render_guide.cmake
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/docs
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${vorn_guide_picture_files} ${PROJECT_BINARY_DIR}/docs
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/cmake/render_guide.cmake ${vorn_guide_picture_files}
  COMMENT "guide.html from docs/guide.md"
  VERBATIM)
add_custom_target(vorn_user_guide ALL DEPENDS ${PROJECT_BINARY_DIR}/guide.html)
install(FILES ${PROJECT_BINARY_DIR}/guide.html DESTINATION ${VORN_INSTALL_DOCDIR})
