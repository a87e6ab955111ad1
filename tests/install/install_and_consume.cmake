cmake_minimum_required(VERSION 3.25)
set(stage ${WORK_DIR}/stage)

# Runs ARGN; fails unless it exits 0 and, when `expected` is given, prints exactly that.
function(run expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR (expected AND NOT out STREQUAL expected))
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "${cmd}: exit ${rc}, printed\n[${out}]\nexpected\n[${expected}]\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})  # a stale stage could hide a file no longer installed
run("" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage})
# Every installed header lives under include/keznls/: nothing generic beside it.
file(GLOB top RELATIVE ${stage}/include ${stage}/include/*)
if(NOT top STREQUAL "keznls")
  message(FATAL_ERROR "include/ holds [${top}], expected only keznls")
endif()
run("" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer
  -DCMAKE_PREFIX_PATH=${stage} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run("" ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run("keznls has 3 roles\nx=2,50\n" ${WORK_DIR}/consumer/consumer)
if(WITH_TOOLS)
  set(ENV{LD_LIBRARY_PATH} "")
  run("installed 4\n"
    ${stage}/${BINDIR}/keznls-printf --formatter simple "%2$s %1$d\\n" 4 installed)
endif()
