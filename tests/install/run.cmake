# run(<expected> <command...>): fails unless the command exits 0 and, when
# `expected` is not empty, prints exactly that.
function(run expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR (expected AND NOT out STREQUAL expected))
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "${cmd}: exit ${rc}, printed\n[${out}]\nexpected\n[${expected}]\n${err}")
  endif()
endfunction()

# check_needed(<binary> <libraries>): the libraries of ours (libkeznls*)
# the binary's dynamic section asks for are exactly these.
function(check_needed binary libraries)
  execute_process(COMMAND ${READELF} -d ${binary} RESULT_VARIABLE rc OUTPUT_VARIABLE dynamic)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "readelf -d ${binary}: exit ${rc}")
  endif()
  string(REGEX MATCHALL "Shared library: \\[libkeznls[^]]*\\]" ours "${dynamic}")
  list(TRANSFORM ours REPLACE "^Shared library: \\[(.*)\\]$" "\\1")
  if(NOT "${ours}" STREQUAL "${libraries}")
    message(FATAL_ERROR "${binary} needs [${ours}] of ours, expected [${libraries}]\n${dynamic}")
  endif()
endfunction()
