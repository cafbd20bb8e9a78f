# Tests of the compiler back end: symbols, storage, code generation,
# routines and CompileSource. Included from this folder's CMakeLists.txt.
foreach(t
    symbols_literals_and_stack_test
    symbols_scopes_and_redeclaration_test
    symbols_storage_layout_test
    codegen_expressions_test
    codegen_control_flow_test
    routines_keys_calls_and_sequences_test
    compile_golden_listing_and_image_test
    compile_failures_and_examples_test)
  vorn_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp LIBS vorn_compiler vorn_preprocessor)
endforeach()

# vornc compile through the real executable, when this build has it.
if(NOT WIN32 AND TARGET vornc)
  vorn_test(compile_command_line_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/compile_command_line_test.cpp
    PROPERTIES TIMEOUT 120)
  target_compile_definitions(compile_command_line_test PRIVATE VORN_VORNC_PATH="$<TARGET_FILE:vornc>")
  add_dependencies(compile_command_line_test vornc)
endif()
