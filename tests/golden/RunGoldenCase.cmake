# Builds the poster of one golden case with `mozaikon-cli build` in the case folder, on one, two
# and eight threads, and requires each time exactly the pixels that the reference computed for
# it (expected.bmp): the thread count must never change a byte.
# Variables: CLI, CASE_DIR, OUT (poster to write), PYTHON, COMPARE (compare_bmp.py).
file(STRINGS ${CASE_DIR}/args args)
foreach(threads 1 2 8)
  file(REMOVE ${OUT})
  execute_process(COMMAND ${CLI} build ${args} --threads ${threads} -o ${OUT}
    WORKING_DIRECTORY ${CASE_DIR}
    RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out TIMEOUT 60)
  if(NOT rc EQUAL 0)
    string(JOIN " " command ${args})
    message(FATAL_ERROR "mozaikon-cli build ${command} --threads ${threads} failed with '${rc}':\n${err}")
  endif()
  if(NOT EXISTS ${OUT})
    message(FATAL_ERROR "mozaikon-cli build reported success but wrote no poster")
  endif()
  execute_process(COMMAND ${PYTHON} -B ${COMPARE} ${CASE_DIR}/expected.bmp ${OUT}
    RESULT_VARIABLE rc OUTPUT_VARIABLE diff ERROR_VARIABLE diff)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "poster on ${threads} threads differs from the reference (${CASE_DIR}):\n${diff}")
  endif()
endforeach()
file(REMOVE ${OUT})
