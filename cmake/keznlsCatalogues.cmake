# keznls_add_catalogues(<target> DOMAIN <domain> PO_FILES <lang>.po...
#                       [COMPONENT <component>] [EXCLUDE_FROM_ALL])
#
# Compiles each <lang>.po with `msgfmt --check` into
# <target's output folder>/locale/<lang>/LC_MESSAGES/<domain>.mo, again
# whenever the .po changes, and builds them before <target>. There the
# program finds them with keznls_catalogue_folder(), which looks in
# "locale" beside the executable first. Installs them under
# ${CMAKE_INSTALL_LOCALEDIR}/<lang>/LC_MESSAGES (COMPONENT and
# EXCLUDE_FROM_ALL are passed to install()), where an installed program
# finds them as <prefix>/bin/../share/locale.
#
# Call it after setting the target's RUNTIME_OUTPUT_DIRECTORY, if you set one.
function(keznls_add_catalogues target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EXCLUDE_FROM_ALL" "DOMAIN;COMPONENT" "PO_FILES")
  if(NOT TARGET ${target})
    message(FATAL_ERROR "keznls_add_catalogues: ${target} is not a target")
  endif()
  if(NOT arg_DOMAIN OR NOT arg_PO_FILES OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "keznls_add_catalogues(${target} DOMAIN <domain> PO_FILES <lang>.po...): "
      "got ${ARGN}")
  endif()
  find_program(KEZNLS_MSGFMT msgfmt)
  if(NOT KEZNLS_MSGFMT)
    message(FATAL_ERROR "keznls_add_catalogues: msgfmt not found (Debian: apt-get install gettext)")
  endif()
  include(GNUInstallDirs)

  # Where the target's file lands: its output folder, else the folder of
  # the CMakeLists.txt that made it.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
  elseif(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
    get_target_property(folder ${target} LIBRARY_OUTPUT_DIRECTORY)
  endif()
  if(NOT folder)
    get_target_property(folder ${target} BINARY_DIR)
  endif()
  set(install_options "")
  if(arg_COMPONENT)
    list(APPEND install_options COMPONENT ${arg_COMPONENT})
  endif()
  if(arg_EXCLUDE_FROM_ALL)
    list(APPEND install_options EXCLUDE_FROM_ALL)
  endif()

  set(outputs "")
  foreach(po IN LISTS arg_PO_FILES)
    get_filename_component(po ${po} ABSOLUTE)  # relative to the caller's folder
    get_filename_component(lang ${po} NAME_WE)
    set(messages ${folder}/locale/${lang}/LC_MESSAGES)
    set(mo ${messages}/${arg_DOMAIN}.mo)
    add_custom_command(OUTPUT ${mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${messages}
      # --check refuses a translation whose conversions differ from its
      # original's: the library would not use it.
      COMMAND ${KEZNLS_MSGFMT} --check -o ${mo} ${po}
      DEPENDS ${po}
      COMMENT "msgfmt ${lang}.po -> ${arg_DOMAIN}.mo"
      VERBATIM)
    list(APPEND outputs ${mo})
    install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${lang}/LC_MESSAGES ${install_options})
  endforeach()
  set(catalogues ${target}_${arg_DOMAIN}_catalogues)
  add_custom_target(${catalogues} ALL DEPENDS ${outputs})
  add_dependencies(${target} ${catalogues})
endfunction()
