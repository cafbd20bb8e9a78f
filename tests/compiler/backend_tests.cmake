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
