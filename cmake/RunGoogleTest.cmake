# Runs one GoogleTest program, under its emulator where there is one, and
# passes only when the program says that it ran: it exits 0, GoogleTest's
# closing lines say that N > 0 tests ran and that every one of them passed or
# was skipped, and no test failed. An emulator that cannot start the program
# (Wine without its 32-bit runtime prints nothing and exits 0) fails here.
#
#   cmake -DPROGRAM=<exe> [-DEMULATOR=<wine>] [-DARGS=<a;b>] -P RunGoogleTest.cmake
if(NOT PROGRAM)
  message(FATAL_ERROR "RunGoogleTest.cmake: no PROGRAM given")
endif()
set(command ${PROGRAM} ${ARGS})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")

if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with status ${status}")
endif()
if(NOT output MATCHES "\\[==========\\] ([0-9]+) tests? from [0-9]+ test suites? ran")
  message(FATAL_ERROR "${PROGRAM} did not run: GoogleTest's closing line is missing from its output")
endif()
set(ran ${CMAKE_MATCH_1})
set(passed 0)
if(output MATCHES "\\[  PASSED  \\] ([0-9]+) tests?")
  set(passed ${CMAKE_MATCH_1})
endif()
set(skipped 0)
if(output MATCHES "\\[  SKIPPED \\] ([0-9]+) tests?")
  set(skipped ${CMAKE_MATCH_1})
endif()
math(EXPR accounted "${passed} + ${skipped}")
if(ran EQUAL 0 OR passed EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ran no test")
endif()
if(output MATCHES "\\[  FAILED  \\]" OR NOT accounted EQUAL ran)
  message(FATAL_ERROR "${PROGRAM}: ${ran} tests ran, ${passed} passed, ${skipped} skipped")
endif()
message("${PROGRAM}: ${ran} tests ran, ${passed} passed, ${skipped} skipped")
