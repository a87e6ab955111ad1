# run(<expected> <command...>): fails unless the command exits 0 and, when
# `expected` is not empty, prints exactly that.
function(run expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR (expected AND NOT out STREQUAL expected))
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "${cmd}: exit ${rc}, printed\n[${out}]\nexpected\n[${expected}]\n${err}")
  endif()
endfunction()
