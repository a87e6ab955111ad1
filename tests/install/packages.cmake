cmake_minimum_required(VERSION 3.25)
# Makes the Debian packages with scripts/package, unpacks them (no root
# needed) and checks what each holds and depends on; then builds the
# README's first translated program against the unpacked tree, with
# find_package and keznls_add_catalogues and with pkg-config, and runs it
# in German from its build tree and installed under a prefix of its own.
# -D: SOURCE_DIR, WORK_DIR, HELLO_DIR, VERSION, SOVERSION, LIBDIR, LOCPATH, CXX, PKG_CONFIG, READELF.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
run("" ${SOURCE_DIR}/scripts/package ${WORK_DIR}/package)
set(runtime libkeznls${SOVERSION})
set(root ${WORK_DIR}/root)

# control(<deb> <field> <variable>): a field of the package's control file.
function(control deb field variable)
  execute_process(COMMAND dpkg-deb -f ${deb} ${field} OUTPUT_VARIABLE value RESULT_VARIABLE rc
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -f ${deb} ${field}: exit ${rc}")
  endif()
  set(${variable} "${value}" PARENT_SCOPE)
endfunction()

# Each package: its name, files (comma-separated) that must be in it, a
# pattern its Depends must match and one it must not.
foreach(entry
    "${runtime}|${LIBDIR}/libkeznls.so.${SOVERSION}|libc6|keznls"
    "libkeznls-dev|include/keznls/version.h,${LIBDIR}/libkeznls.so,${LIBDIR}/libkeznls.a,${LIBDIR}/pkgconfig/keznls.pc,${LIBDIR}/cmake/keznls/keznlsConfigVersion.cmake,${LIBDIR}/cmake/keznls/keznlsCatalogues.cmake|^${runtime} \\(= ${VERSION}-[0-9]+\\)$|libkeznls-dev"
    "keznls-printf|bin/keznls-printf,share/man/man1/keznls-printf.1.gz|libc6|libkeznls")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 name)
  list(GET entry 1 files)
  list(GET entry 2 depends_regex)
  list(GET entry 3 not_regex)
  string(REPLACE "," ";" files "${files}")
  file(GLOB deb ${WORK_DIR}/package/shared/packages/${name}_${VERSION}-*.deb)
  list(LENGTH deb found)
  if(NOT found EQUAL 1)
    message(FATAL_ERROR "expected one ${name}_${VERSION}-*.deb, found [${deb}]")
  endif()
  control(${deb} Depends depends)
  if(NOT depends MATCHES "${depends_regex}" OR depends MATCHES "${not_regex}")
    message(FATAL_ERROR "${name} depends on [${depends}]: expected ${depends_regex}, nothing matching ${not_regex}")
  endif()
  file(REMOVE_RECURSE ${WORK_DIR}/one)
  run("" dpkg-deb -x ${deb} ${WORK_DIR}/one)
  run("" dpkg-deb -x ${deb} ${root})
  foreach(f IN LISTS files)
    if(NOT EXISTS ${WORK_DIR}/one/usr/${f} AND NOT IS_SYMLINK ${WORK_DIR}/one/usr/${f})
      message(FATAL_ERROR "${name} lacks /usr/${f}")
    endif()
  endforeach()
endforeach()
# The runtime package's library carries the SONAME of its ABI.
execute_process(COMMAND ${READELF} -d ${root}/usr/${LIBDIR}/libkeznls.so.${SOVERSION} OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "Library soname: \\[libkeznls\\.so\\.${SOVERSION}\\]")
  message(FATAL_ERROR "libkeznls.so.${SOVERSION} has no SONAME libkeznls.so.${SOVERSION}:\n${dynamic}")
endif()
# The tool finds the unpacked library beside it and names its version.
run("keznls-printf (keznls) ${VERSION}\nlibrary: keznls ${VERSION}\n" ${root}/usr/bin/keznls-printf --version)

# The first translated program, with find_package and keznls_add_catalogues.
set(prefix_path -DCMAKE_PREFIX_PATH=${root}/usr -DCMAKE_CXX_COMPILER=${CXX})
set(build ${WORK_DIR}/hello)
run("" ${CMAKE_COMMAND} -S ${HELLO_DIR} -B ${build} ${prefix_path})
run("" ${CMAKE_COMMAND} --build ${build})
# German text whatever the machine's locales; German numbers where the
# de_DE.UTF-8 locale is found (LOCPATH), C's where it is not.
set(ENV{LANGUAGE} "")
set(ENV{LC_ALL} "")
set(ENV{LANG} de_DE.UTF-8)
set(ENV{LOCPATH} ${LOCPATH})
set(german "Grüß dich, world!\n3 Dateien\nSumme: 1234,50\n")
run("${german}" ${build}/hello)
set(ENV{LOCPATH} ${WORK_DIR}/no-locales)
run("Grüß dich, world!\n3 Dateien\nSumme: 1234.50\n" ${build}/hello)
set(ENV{LOCPATH} ${LOCPATH})
set(ENV{LANGUAGE} "fr:de")
run("${german}" ${build}/hello)
set(ENV{LANG} C.UTF-8)
run("Hello, world!\n3 files\nSum: 1234.50\n" ${build}/hello)
set(ENV{LANG} de_DE.UTF-8)
set(ENV{LANGUAGE} "")

# Installed under a prefix of its own, it finds its catalogues in
# <prefix>/share/locale.
run("" ${CMAKE_COMMAND} --install ${build} --prefix ${WORK_DIR}/app)
if(NOT EXISTS ${WORK_DIR}/app/share/locale/de/LC_MESSAGES/hello.mo)
  message(FATAL_ERROR "the catalogue was not installed under share/locale")
endif()
set(ENV{LD_LIBRARY_PATH} ${root}/usr/${LIBDIR})
run("${german}" ${WORK_DIR}/app/bin/hello)
set(ENV{LD_LIBRARY_PATH} "")

# With pkg-config and the README's run path; built beside the CMake build's
# catalogues, it finds them too.
set(ENV{PKG_CONFIG_PATH} ${root}/usr/${LIBDIR}/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs keznls OUTPUT_VARIABLE flags RESULT_VARIABLE rc
  OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${PKG_CONFIG} --variable=libdir keznls OUTPUT_VARIABLE libdir
  OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(flags UNIX_COMMAND "${flags}")
run("" ${CXX} -std=c++17 ${HELLO_DIR}/hello.cpp ${flags} -Wl,-rpath,${libdir} -o ${build}/hello_pc)
run("${german}" ${build}/hello_pc)

# The package's version file refuses another ABI: another major version,
# and before 1.0 an older minor one.
set(refused 99)
if(SOVERSION MATCHES "^0\\.([0-9]+)$" AND CMAKE_MATCH_1 GREATER 0)
  math(EXPR older "${CMAKE_MATCH_1} - 1")
  list(APPEND refused 0.${older})
endif()
foreach(wanted IN LISTS refused)
  string(MAKE_C_IDENTIFIER "wants${wanted}" name)
  file(WRITE ${WORK_DIR}/${name}/CMakeLists.txt
    "cmake_minimum_required(VERSION 3.25)\nproject(${name} LANGUAGES CXX)\nfind_package(keznls ${wanted} REQUIRED)\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/${name} -B ${WORK_DIR}/${name}/build ${prefix_path}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # Found and refused: not merely missing.
  if(rc EQUAL 0 OR NOT err MATCHES "requested version \"${wanted}\"" OR NOT err MATCHES "keznlsConfig.cmake, version: ${VERSION}")
    message(FATAL_ERROR "find_package(keznls ${wanted}) was not refused: exit ${rc}\n${out}${err}")
  endif()
endforeach()
