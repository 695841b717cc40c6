# Builds the poster of one golden case with `mozaikon-cli build` in the case folder and requires
# exactly the pixels that the reference computed for it (expected.bmp).
# Variables: CLI, CASE_DIR, OUT (poster to write), PYTHON, COMPARE (compare_bmp.py).
file(STRINGS ${CASE_DIR}/args args)
file(REMOVE ${OUT})
execute_process(COMMAND ${CLI} build ${args} -o ${OUT}
  WORKING_DIRECTORY ${CASE_DIR}
  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out TIMEOUT 60)
if(NOT rc EQUAL 0)
  string(JOIN " " command ${args})
  message(FATAL_ERROR "mozaikon-cli build ${command} failed with '${rc}':\n${err}")
endif()
if(NOT EXISTS ${OUT})
  message(FATAL_ERROR "mozaikon-cli build reported success but wrote no poster")
endif()
execute_process(COMMAND ${PYTHON} -B ${COMPARE} ${CASE_DIR}/expected.bmp ${OUT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE diff ERROR_VARIABLE diff)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "poster differs from the reference (${CASE_DIR}):\n${diff}")
endif()
file(REMOVE ${OUT})
