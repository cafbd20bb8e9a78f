# Tests of the compiler front end: lexer_*, parser_*. Included from this
# folder's CMakeLists.txt.
foreach(t
    lexer_tokens_test
    lexer_interning_test
    lexer_comments_and_lines_test
    lexer_keyword_table_test
    parser_grammar_test
    parser_diagnostics_test
    parser_random_input_test)
  vorn_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp LIBS vorn_compiler)
endforeach()

# The command-line faces of the expander and the lexer, when vornc is built.
if(TARGET vornc)
  vorn_test(expand_and_tokens_commands_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/expand_and_tokens_commands_test.cpp)
  target_compile_definitions(expand_and_tokens_commands_test PRIVATE VORNC_PATH="$<TARGET_FILE:vornc>")
  add_dependencies(expand_and_tokens_commands_test vornc)
endif()
