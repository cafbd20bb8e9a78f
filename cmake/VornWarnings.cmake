# Warning and sanitizer flags shared by every target of the project.
add_library(vorn_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(vorn_options INTERFACE -Wall -Wextra)
  if(VORN_WERROR)
    target_compile_options(vorn_options INTERFACE -Werror)
  endif()
endif()
if(VORN_SANITIZE)
  target_compile_options(vorn_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(vorn_options INTERFACE -fsanitize=address,undefined)
endif()

# vorn_library(name SOURCES...): a static library of ours with the shared options.
function(vorn_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC vorn_options)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
