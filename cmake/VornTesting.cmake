# vorn_test(name SOURCES ... LIBS ... [LABELS ...] [PROPERTIES ...]):
# one GoogleTest program, registered with ctest test by test.
if(VORN_BUILD_TESTS)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    include(${CMAKE_CURRENT_LIST_DIR}/VornWindowsGTest.cmake)
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()

function(vorn_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vorn_test_fakes GTest::gtest GTest::gtest_main vorn_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    VORN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VORN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # No test reads or writes the developer's own settings.
  set(props ENVIRONMENT QT_QPA_PLATFORM=offscreen ENVIRONMENT_MODIFICATION VORN_NO_SETTINGS=set:1)
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props} ${T_PROPERTIES})
endfunction()
