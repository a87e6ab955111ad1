cmake_minimum_required(VERSION 3.25)
set(stage ${WORK_DIR}/stage)

include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

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
