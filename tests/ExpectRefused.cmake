# Runs `mozaikon-cli convert INPUT OUT` and requires a clean refusal: exit code 1, a one-line
# message on standard error, and no output file.
file(REMOVE ${OUT})
execute_process(COMMAND ${CLI} convert ${INPUT} ${OUT}
  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out TIMEOUT 20)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "expected exit 1, got '${rc}'\n${err}")
endif()
string(REGEX MATCHALL "\n" newlines "${err}")
list(LENGTH newlines lineCount)
if(NOT lineCount EQUAL 1)
  message(FATAL_ERROR "expected one line of error, got:\n${err}")
endif()
if(EXISTS ${OUT})
  message(FATAL_ERROR "an output file was written for a refused input")
endif()
