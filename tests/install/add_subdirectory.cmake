cmake_minimum_required(VERSION 3.25)
# Configures, builds and runs a host project that adds keznls's source tree
# with add_subdirectory, from scratch each time; its catalogue, compiled by
# keznls_add_catalogues(), is compiled again when its .po changes.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
# A copy of the host's sources, so the test may change its .po.
set(source ${WORK_DIR}/source)
set(build ${WORK_DIR}/build)
file(COPY ${HOST_DIR}/ DESTINATION ${source})
run("" ${CMAKE_COMMAND} -S ${source} -B ${build} -DKEZNLS_SOURCE_DIR=${KEZNLS_SOURCE_DIR}
  -DCMAKE_CXX_COMPILER=${CXX})
run("" ${CMAKE_COMMAND} --build ${build} --parallel 2)
set(ENV{LANGUAGE} "")
set(ENV{LC_ALL} "")
set(ENV{LC_MESSAGES} "")
set(ENV{LANG} C.UTF-8)
run("keznls in a host: 3 roles, 2,50\n" ${build}/host)
set(ENV{LANG} de_DE.UTF-8)
run("keznls in einem Gastprojekt: 3 Rollen, 2,50\n" ${build}/host)

file(READ ${source}/po/de.po po)
string(REPLACE "in einem Gastprojekt" "als Teilprojekt" po "${po}")
file(WRITE ${source}/po/de.po "${po}")
run("" ${CMAKE_COMMAND} --build ${build} --parallel 2)
run("keznls als Teilprojekt: 3 Rollen, 2,50\n" ${build}/host)
# The layers are inside the one library the host loads.
check_needed(${build}/host "libkeznls.so.${SOVERSION}")
