# Every xgettext line of the README names exactly the options
# keznls_xgettext_options() gives (the keyword list keznls_extract_messages()
# uses), in any order. The first line, run over examples/demo with a
# template of our own as output, makes the plural and context entries and
# the demo's committed template. -D: README, CATALOGUES, DEMO_DIR, OUT, XGETTEXT.
include(${CATALOGUES})
keznls_xgettext_options(expected)
list(SORT expected)

file(READ ${README} readme)
string(REGEX MATCHALL "\n +xgettext [^\n\\\\]*(\\\\\n[^\n\\\\]*)*" lines "${readme}")
if(NOT lines)
  message(FATAL_ERROR "no xgettext line in ${README}")
endif()
set(first "")
foreach(line IN LISTS lines)
  string(REGEX MATCHALL "--(language|from-code|keyword|flag)=[^ \\\\\n]+" options "${line}")
  if(NOT first)
    set(first "${options}")
  endif()
  list(SORT options)
  if(NOT options STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${options})
    set(extra ${options})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "the README's xgettext line${line}\nlacks [${missing}] and has beside them [${extra}]: "
      "keznls_xgettext_options() in cmake/keznlsCatalogues.cmake is the list")
  endif()
endforeach()

execute_process(COMMAND ${XGETTEXT} ${first} --package-name=keznls-demo -o ${OUT} demo.cpp
  WORKING_DIRECTORY ${DEMO_DIR} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xgettext ${first}: ${err}")
endif()
file(READ ${OUT} made)
foreach(entry "msgid \"%d file was copied.\\n\"\nmsgid_plural \"%d files were copied.\\n\""
              "msgctxt \"menu entry\"\nmsgid \"Open\\n\"" "msgctxt \"state of a file\"\nmsgid \"Open\\n\"")
  string(FIND "${made}" "${entry}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the template lacks\n${entry}\n--- made by xgettext ${first}:\n${made}")
  endif()
endforeach()

# The committed template, but for the date it was made.
file(READ ${DEMO_DIR}/po/keznls-demo.pot committed)
foreach(text made committed)
  string(REGEX REPLACE "\"POT-Creation-Date: [^\"]*\"" "" ${text} "${${text}}")
endforeach()
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "examples/demo/po/keznls-demo.pot is not what the README's xgettext line makes; "
                      "run it again (see ${OUT})")
endif()
