cmake_minimum_required(VERSION 3.25)
# Installs the build into a staging folder and builds a project outside the
# tree against it, with find_package and with pkg-config; then does the same
# for a static build of the library alone. Consumers of either see one
# library of ours: the layers are inside it.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

# check_installed_libraries(<stage> <regex>): the stage's library folder
# holds keznls alone, in the form the regex names.
function(check_installed_libraries stage regex)
  file(GLOB libraries RELATIVE ${stage}/${LIBDIR} ${stage}/${LIBDIR}/lib*)
  foreach(library IN LISTS libraries)
    if(NOT library MATCHES "${regex}")
      message(FATAL_ERROR "${stage}/${LIBDIR} holds [${libraries}], expected only ${regex}")
    endif()
  endforeach()
  if(NOT libraries)
    message(FATAL_ERROR "${stage}/${LIBDIR} holds no library")
  endif()
endfunction()

# consume(<name> <stage> <pkg-config options...>): builds the consumer
# against the stage with CMake (consumer_<name>) and with pkg-config
# (consumer_<name>_pc), runs both, and checks which of our libraries each
# loads (`needed`, a global: what readelf must list, empty for none).
function(consume name stage)
  set(expected "keznls has 3 roles\nx=2,50\nsaved 1\n")
  set(build ${WORK_DIR}/consumer_${name})
  run("" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build}
    -DCMAKE_PREFIX_PATH=${stage} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
  run("" ${CMAKE_COMMAND} --build ${build})

  set(ENV{PKG_CONFIG_PATH} ${stage}/${LIBDIR}/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} ${ARGN} --cflags --libs keznls
    RESULT_VARIABLE rc OUTPUT_VARIABLE flags ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN} keznls: exit ${rc}\n${err}")
  endif()
  # Our own libraries named to the linker: keznls alone.
  string(REGEX MATCHALL "-lkeznls[^ ]*" linked "${flags}")
  if(NOT linked STREQUAL "-lkeznls")
    message(FATAL_ERROR "pkg-config ${ARGN} keznls links [${linked}], expected -lkeznls: ${flags}")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
  set(pc_binary ${WORK_DIR}/consumer_${name}_pc)
  run("" ${CXX} ${cxx_flags} -std=c++17 ${CONSUMER_DIR}/main.cpp ${flags} -o ${pc_binary})

  set(ENV{LD_LIBRARY_PATH} ${stage}/${LIBDIR})  # pkg-config gives no run path
  foreach(binary ${build}/consumer ${pc_binary})
    run("${expected}" ${binary})
    check_needed(${binary} "${needed}")
  endforeach()
  set(ENV{LD_LIBRARY_PATH} "")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})  # a stale stage could hide a file no longer installed

# The shared build this test belongs to.
set(stage ${WORK_DIR}/stage)
run("" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage})
# Every installed header lives under include/keznls/: nothing generic beside it.
file(GLOB top RELATIVE ${stage}/include ${stage}/include/*)
if(NOT top STREQUAL "keznls")
  message(FATAL_ERROR "include/ holds [${top}], expected only keznls")
endif()
check_installed_libraries(${stage} "^libkeznls\\.so(\\.[0-9]+)*$")
# What a consumer and a user of the tool find beside the library.
set(beside ${LIBDIR}/cmake/keznls/keznlsCatalogues.cmake ${LIBDIR}/cmake/keznls/keznlsConfigVersion.cmake
  include/keznls/version.h include/keznls/catalogue_folder.h)
if(WITH_TOOLS)
  list(APPEND beside share/man/man1/keznls-printf.1.gz)
endif()
foreach(f IN LISTS beside)
  if(NOT EXISTS ${stage}/${f})
    message(FATAL_ERROR "the install lacks ${f}")
  endif()
endforeach()
# The demo's catalogues install only when asked for.
if(EXISTS ${stage}/share/locale)
  message(FATAL_ERROR "the install holds share/locale: the demo's catalogues came with it")
endif()
check_needed(${stage}/${LIBDIR}/libkeznls.so "")
set(soname libkeznls.so.${SOVERSION})
if(NOT EXISTS ${stage}/${LIBDIR}/${soname})
  message(FATAL_ERROR "the install lacks ${soname}")
endif()
set(needed ${soname})
consume(shared ${stage})

# The package tells a consumer the standard it needs, and one building as
# C++20 compiles our headers cleanly: warnings are errors there, and the
# headers are not taken for system headers, whose warnings go unseen.
file(READ ${stage}/${LIBDIR}/cmake/keznls/keznlsTargets.cmake exported)
if(NOT exported MATCHES "INTERFACE_COMPILE_FEATURES \"cxx_std_17\"")
  message(FATAL_ERROR "keznls::keznls does not carry cxx_std_17:\n${exported}")
endif()
set(build20 ${WORK_DIR}/consumer_cxx20)
run("" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build20} -DCMAKE_PREFIX_PATH=${stage}
  -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_CXX_STANDARD=20 -DCMAKE_NO_SYSTEM_FROM_IMPORTED=ON
  "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror ${CXX_FLAGS}")
run("" ${CMAKE_COMMAND} --build ${build20})
run("keznls has 3 roles\nx=2,50\nsaved 1\n" ${build20}/consumer)
if(WITH_TOOLS)
  # The installed tool carries the library's objects it uses.
  run("installed 4\n"
    ${stage}/${BINDIR}/keznls-printf --formatter simple "%2$s %1$d\\n" 4 installed)
  check_needed(${stage}/${BINDIR}/keznls-printf "")
endif()

# A static build of the library alone (no tests, tools or examples; no
# optimisation: only the packaging is under test here), installed and consumed.
set(static_build ${WORK_DIR}/static_build)
set(static_stage ${WORK_DIR}/static_stage)
run("" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${static_build} -DCMAKE_CXX_COMPILER=${CXX}
  -DBUILD_SHARED_LIBS=OFF -DKEZNLS_BUILD_TOOLS=OFF -DKEZNLS_BUILD_TESTS=OFF -DKEZNLS_SANITIZE=${SANITIZE})
run("" ${CMAKE_COMMAND} --build ${static_build} --parallel 2)
run("" ${CMAKE_COMMAND} --install ${static_build} --prefix ${static_stage})
check_installed_libraries(${static_stage} "^libkeznls\\.a$")
set(needed "")
consume(static ${static_stage} --static)
