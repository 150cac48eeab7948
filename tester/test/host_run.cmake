# Runs the tester in the host JVM the way the installer runs it in a VM, and checks the exit code.
# The host JVM is of a generation after 1.8: the answer must be "not usable, later generation".
#   cmake -DJAVA=<java> -DCLASS_DIR=<dir with OstrelTester.class> -P host_run.cmake
execute_process(COMMAND "${JAVA}" -cp . OstrelTester
  WORKING_DIRECTORY "${CLASS_DIR}"
  RESULT_VARIABLE code
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
message("exit code ${code}")
if(NOT code MATCHES "^[0-9]+$")
  message(FATAL_ERROR "the tester did not exit normally: ${code}\n${out}")
endif()
math(EXPR usable "(${code} >> 1) & 1")
math(EXPR later "(${code} >> 2) & 1")
math(EXPR branch14 "(${code} >> 3) & 1")
math(EXPR high "${code} >> 4")
if(code LESS_EQUAL 0 OR NOT usable EQUAL 0 OR NOT later EQUAL 1 OR NOT branch14 EQUAL 0 OR NOT high EQUAL 0)
  message(FATAL_ERROR "expected not usable, later generation, not the 1.4 branch (5); got ${code}\n${out}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "the tester printed something:\n${out}")
endif()
