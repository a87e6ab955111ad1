cmake_minimum_required(VERSION 3.25)
# Configures, builds and runs a host project that adds keznls's source tree
# with add_subdirectory, from scratch each time.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
run("" ${CMAKE_COMMAND} -S ${HOST_DIR} -B ${WORK_DIR} -DKEZNLS_SOURCE_DIR=${KEZNLS_SOURCE_DIR}
  -DCMAKE_CXX_COMPILER=${CXX})
run("" ${CMAKE_COMMAND} --build ${WORK_DIR} --parallel 2)
run("keznls in a host: 3 roles, 2,50\n" ${WORK_DIR}/host)
# The layers are inside the one library the host loads.
check_needed(${WORK_DIR}/host "libkeznls.so.0")
