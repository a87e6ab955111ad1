# Debian packages, made by `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package does both):
#   libkeznls<abi>    the shared library, libkeznls.so.<abi> (KEZNLS_SOVERSION)
#   libkeznls-dev     headers, CMake package, keznls.pc, the .so link and,
#                     when KEZNLS_PACKAGE_STATIC_BUILD names a static build
#                     tree of the same sources, libkeznls.a
#   keznls-printf     the tool and its man page
# Dependencies on the system's libraries come from dpkg-shlibdeps; on our
# own, from the version built here.
set(KEZNLS_PACKAGE_STATIC_BUILD "" CACHE PATH
  "A static build tree (-DBUILD_SHARED_LIBS=OFF) whose libkeznls.a goes into the -dev package")

set(runtime_package libkeznls${KEZNLS_SOVERSION})
set(CPACK_PACKAGE_NAME keznls)
set(CPACK_PACKAGE_VENDOR "keznls developers")
set(CPACK_PACKAGE_CONTACT "keznls developers <keznls@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(full_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})

# The components each package takes ("archive" comes from the static tree).
set(CPACK_COMPONENTS_ALL runtime dev tool)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};keznls;ALL;/")
if(KEZNLS_PACKAGE_STATIC_BUILD)
  # The entry's component names a list of its own, CPACK_COMPONENTS_<NAME>.
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${KEZNLS_PACKAGE_STATIC_BUILD};keznls;STATIC_TREE;/")
  set(CPACK_COMPONENTS_STATIC_TREE archive)
  list(APPEND CPACK_COMPONENTS_ALL archive)
  set(CPACK_COMPONENT_ARCHIVE_GROUP dev)
endif()
set(CPACK_COMPONENT_DEV_GROUP dev)
set(CPACK_COMPONENT_RUNTIME_GROUP runtime)
set(CPACK_COMPONENT_TOOL_GROUP tool)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${runtime_package})
# Descriptions: the first line is the summary; cpack indents the rest and
# turns empty lines into Debian's " .".
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "native-language-support output library
keznls translates printf-style messages through compiled gettext
catalogues, formats them with the C library's printf or its own engine (a
decimal point of the program's choosing, positional arguments) and
displays them.

This package holds the shared library.")
# A shlibs file for the package holding the shared library, so packages
# built against it depend on this version or a later one.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkeznls-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${runtime_package} (= ${full_version})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "native-language-support output library (development files)
Headers, the CMake package (find_package(keznls), keznls_add_catalogues()),
keznls.pc for pkg-config, and the static library of keznls.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME keznls-printf)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_DESCRIPTION "printf for shell scripts, with translation through gettext catalogues
keznls-printf translates its format through a compiled message catalogue,
formats its arguments into the translation and prints the result.")
# The tool carries the library's objects it uses (it links them statically,
# as our other programs do), so it depends on the runtimes alone.

include(CPack)
