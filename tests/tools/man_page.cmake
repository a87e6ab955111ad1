# keznls-printf's man page renders without a warning and agrees with the
# tool: the same long options as --help, the project's version in its
# footer. -D: MAN, PAGE, TOOL, VERSION.
set(ENV{MANWIDTH} 80)
execute_process(COMMAND ${MAN} --warnings -E UTF-8 -l ${PAGE}
  RESULT_VARIABLE rc OUTPUT_VARIABLE page ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "man -l ${PAGE}: exit ${rc}\n${err}")
endif()
foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES)
  if(NOT page MATCHES "\n${section}\n")
    message(FATAL_ERROR "the man page has no ${section} section:\n${page}")
  endif()
endforeach()
if(NOT page MATCHES "keznls ${VERSION}")
  message(FATAL_ERROR "the man page's footer does not say keznls ${VERSION}:\n${page}")
endif()

execute_process(COMMAND ${TOOL} --help RESULT_VARIABLE rc OUTPUT_VARIABLE help)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} --help: exit ${rc}")
endif()
# man renders hyphens in option names as they were typed (\-).
foreach(text help page)
  string(REGEX MATCHALL "--[a-z]+(-[a-z]+)*" options_${text} "${${text}}")
  list(REMOVE_DUPLICATES options_${text})
  list(SORT options_${text})
endforeach()
if(NOT options_help STREQUAL options_page)
  message(FATAL_ERROR "--help names [${options_help}], the man page [${options_page}]")
endif()
