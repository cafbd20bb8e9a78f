# Runs bison on the grammar and fails unless it reports exactly the expected
# conflict counts and no other warning.
#   cmake -DBISON=... -DGRAMMAR=... -DOUTPUT=... -DHEADER=...
#         -DEXPECT_SR=n -DEXPECT_RR=n -P bison_pinned.cmake
execute_process(
  COMMAND ${BISON} -Wall -Wno-counterexamples --defines=${HEADER} -o ${OUTPUT} ${GRAMMAR}
  RESULT_VARIABLE rc
  ERROR_VARIABLE messages)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bison failed:\n${messages}")
endif()

set(found_sr 0)
set(found_rr 0)
if(messages MATCHES "([0-9]+) shift/reduce conflict")
  set(found_sr ${CMAKE_MATCH_1})
endif()
if(messages MATCHES "([0-9]+) reduce/reduce conflict")
  set(found_rr ${CMAKE_MATCH_1})
endif()
if(NOT found_sr EQUAL EXPECT_SR OR NOT found_rr EQUAL EXPECT_RR)
  file(REMOVE ${OUTPUT} ${HEADER})
  message(FATAL_ERROR "grammar conflicts changed: ${found_sr} shift/reduce (expected ${EXPECT_SR}), "
                      "${found_rr} reduce/reduce (expected ${EXPECT_RR})\n${messages}")
endif()

# Anything besides the conflict counts and bison's hint is a new warning.
string(REGEX REPLACE "[^\n]*(shift/reduce conflicts|reduce/reduce conflicts|-Wcounterexamples)[^\n]*\n?" ""
       rest "${messages}")
string(STRIP "${rest}" rest)
if(NOT rest STREQUAL "")
  file(REMOVE ${OUTPUT} ${HEADER})
  message(FATAL_ERROR "bison warnings:\n${rest}")
endif()
