# cmake -P script behind the install_and_consume test; see CMakeLists.txt.
cmake_minimum_required(VERSION 3.25)

set(expected "keznls has 3 roles\nx=2,50\n")
set(stage ${WORK_DIR}/stage)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output what)
  if(NOT run_output STREQUAL expected)
    message(FATAL_ERROR "${what} printed:\n[${run_output}]\nexpected:\n[${expected}]")
  endif()
endfunction()

# A stale stage could hide a file that is no longer installed.
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage})

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer
  -DCMAKE_PREFIX_PATH=${stage} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)
expect_output("find_package consumer")

if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${stage}/${LIBDIR}/pkgconfig)
  run(${PKG_CONFIG} --cflags --libs keznls)
  string(STRIP "${run_output}" pc_flags)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  separate_arguments(extra UNIX_COMMAND "${CXX_FLAGS}")
  run(${CXX} -std=c++17 ${extra} ${CONSUMER_DIR}/main.cpp ${pc_flags}
    -Wl,-rpath,${stage}/${LIBDIR} -o ${WORK_DIR}/pc_consumer)
  run(${WORK_DIR}/pc_consumer)
  expect_output("pkg-config consumer")
endif()
if(WITH_TOOLS)
  set(ENV{LD_LIBRARY_PATH} "")
  run(${stage}/${BINDIR}/keznls-printf --formatter simple "%2$s %1$d\\n" 4 installed)
  set(expected "installed 4\n")
  expect_output("installed keznls-printf")
endif()
message(STATUS "installed package found and used")
