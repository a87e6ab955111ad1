# Installs headers, libraries, a CMake package config and a pkg-config file.
# Components, as the Debian packages split them: "runtime" (the shared
# library), "dev" (everything to build against it) and "archive" (the
# static library alone, so a package made from a shared build can take it
# from a static build tree); keznls-printf is "tool".
include(CMakePackageConfigHelpers)

# One library: the layers are folded into it.
install(TARGETS keznls
  EXPORT keznlsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT archive
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/keznls DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

set(KEZNLS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/keznls)
install(EXPORT keznlsTargets NAMESPACE keznls:: DESTINATION ${KEZNLS_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/keznlsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/keznlsConfig.cmake INSTALL_DESTINATION ${KEZNLS_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/keznlsConfigVersion.cmake
  COMPATIBILITY ${KEZNLS_COMPATIBILITY})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/keznlsConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/keznlsConfigVersion.cmake ${PROJECT_SOURCE_DIR}/cmake/keznlsCatalogues.cmake
  DESTINATION ${KEZNLS_CMAKE_DIR} COMPONENT dev)

# The prefix is found from the .pc file's own place, so the package works
# wherever it is installed (`cmake --install --prefix`, staging, DESTDIR).
file(RELATIVE_PATH KEZNLS_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" KEZNLS_PC_TO_PREFIX "${KEZNLS_PC_TO_PREFIX}")
configure_file(cmake/keznls.pc.in ${CMAKE_CURRENT_BINARY_DIR}/keznls.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/keznls.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
