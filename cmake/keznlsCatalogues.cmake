# keznls_xgettext_options(<variable>)
#
# Sets <variable> to xgettext's options for every call of keznls that takes
# a message: each call's --keyword (message, plural, context arguments) and
# a c-format --flag on each argument that is a format, so msgfmt --check
# checks the translations' conversions. The one list of them: the README's
# xgettext line is tested against it.
function(keznls_xgettext_options variable)
  set(options --language=C++ --from-code=UTF-8)
  # <varargs name>:<keyword arguments>; the typed call is the name without
  # its final "f" and takes its arguments in the same places.
  foreach(call tprintf:2 stprintf:2 ntprintf:2,3 nstprintf:2,3 ptprintf:2c,3 pstprintf:2c,3
               nptprintf:2c,3,4 npstprintf:2c,3,4)
    string(REGEX MATCH "^([a-z]+)f:(.*)$" call "${call}")
    set(varargs ${CMAKE_MATCH_1}f)
    set(typed ${CMAKE_MATCH_1})
    set(arguments ${CMAKE_MATCH_2})
    string(REPLACE "," ";" formats "${arguments}")
    list(FILTER formats EXCLUDE REGEX "c$")  # the context is no format
    foreach(name ${varargs} ${typed})
      list(APPEND options --keyword=${name}:${arguments})
      foreach(format IN LISTS formats)
        list(APPEND options --flag=${name}:${format}:c-format)
      endforeach()
    endforeach()
  endforeach()
  set(${variable} ${options} PARENT_SCOPE)
endfunction()

# keznls_extract_messages(<target> POT <file> [PO_FILES <lang>.po...] [SOURCES <file>...]
#                         [PACKAGE_NAME <name>])
#
# Adds two targets, built only when asked for:
#   <target>-pot        runs xgettext with keznls_xgettext_options() over the
#                       target's C and C++ sources (and SOURCES, for headers
#                       the target does not list) into POT, making its folder;
#   <target>-update-po  (with PO_FILES) makes the template, then merges it
#                       into each .po with msgmerge --update: new messages
#                       appear untranslated, vanished ones are commented out.
# POT and the .po files are relative to the caller's folder; the template's
# "#:" references are relative to the target's. PACKAGE_NAME defaults to the
# project's name, and the project's version, when it has one, goes with it.
# Call it once the target has all its sources.
function(keznls_extract_messages target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "POT;PACKAGE_NAME" "PO_FILES;SOURCES")
  if(NOT TARGET ${target})
    message(FATAL_ERROR "keznls_extract_messages: ${target} is not a target")
  endif()
  if(NOT arg_POT OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "keznls_extract_messages(${target} POT <file> [PO_FILES <lang>.po...] "
      "[SOURCES <file>...] [PACKAGE_NAME <name>]): got ${ARGN}")
  endif()
  find_program(KEZNLS_XGETTEXT xgettext)
  find_program(KEZNLS_MSGMERGE msgmerge)
  if(NOT KEZNLS_XGETTEXT OR NOT KEZNLS_MSGMERGE)
    message(FATAL_ERROR "keznls_extract_messages: xgettext or msgmerge not found (Debian: apt-get install gettext)")
  endif()

  get_target_property(folder ${target} SOURCE_DIR)
  get_target_property(sources ${target} SOURCES)
  if(NOT sources)
    set(sources "")
  endif()
  set(files "")
  foreach(source IN LISTS sources arg_SOURCES)
    # Generator expressions name files only known at build time: the
    # target's own plain sources are what holds its messages.
    if(source MATCHES "\\$<" OR NOT source MATCHES "\\.(c|cc|cpp|cxx|c\\+\\+|h|hh|hpp|hxx|ipp|tpp|inl)$")
      continue()
    endif()
    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${folder})
    file(RELATIVE_PATH source ${folder} ${source})
    list(APPEND files ${source})
  endforeach()
  list(REMOVE_DUPLICATES files)
  if(NOT files)
    message(FATAL_ERROR "keznls_extract_messages: ${target} has no C or C++ source to extract from")
  endif()

  get_filename_component(pot ${arg_POT} ABSOLUTE)
  get_filename_component(pot_folder ${pot} DIRECTORY)
  keznls_xgettext_options(options)
  if(arg_PACKAGE_NAME)
    list(APPEND options --package-name=${arg_PACKAGE_NAME})
  else()
    list(APPEND options --package-name=${PROJECT_NAME})
    if(PROJECT_VERSION)
      list(APPEND options --package-version=${PROJECT_VERSION})
    endif()
  endif()
  add_custom_target(${target}-pot
    COMMAND ${CMAKE_COMMAND} -E make_directory ${pot_folder}
    COMMAND ${KEZNLS_XGETTEXT} ${options} -o ${pot} ${files}
    WORKING_DIRECTORY ${folder}
    COMMENT "xgettext ${target} -> ${arg_POT}"
    VERBATIM)

  if(arg_PO_FILES)
    set(merges "")
    foreach(po IN LISTS arg_PO_FILES)
      get_filename_component(po ${po} ABSOLUTE)
      list(APPEND merges COMMAND ${KEZNLS_MSGMERGE} --quiet --update --backup=none ${po} ${pot})
    endforeach()
    string(REPLACE ";" " " names "${arg_PO_FILES}")
    add_custom_target(${target}-update-po ${merges}
      COMMENT "msgmerge ${arg_POT} into ${names}"
      VERBATIM)
    add_dependencies(${target}-update-po ${target}-pot)
  endif()
endfunction()

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
