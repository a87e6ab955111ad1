# Runs the README's xgettext line (its options, with the demo's source and a
# template of our own as files) over examples/demo and checks the result:
# the plural and context entries are there, and the demo's committed
# template is what the line makes. -D: README, DEMO_DIR, OUT, XGETTEXT.
file(READ ${README} readme)
string(REGEX MATCH "\n +xgettext [^\n\\\\]*(\\\\\n[^\n\\\\]*)*" line "${readme}")
if(NOT line)
  message(FATAL_ERROR "no xgettext line in ${README}")
endif()
string(REGEX MATCHALL "--(language|from-code|keyword|flag)=[^ \\\\\n]+" options "${line}")

execute_process(COMMAND ${XGETTEXT} ${options} --package-name=keznls-demo -o ${OUT} demo.cpp
  WORKING_DIRECTORY ${DEMO_DIR} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xgettext ${options}: ${err}")
endif()
file(READ ${OUT} made)
foreach(entry "msgid \"%d file was copied.\\n\"\nmsgid_plural \"%d files were copied.\\n\""
              "msgctxt \"menu entry\"\nmsgid \"Open\\n\"" "msgctxt \"state of a file\"\nmsgid \"Open\\n\"")
  string(FIND "${made}" "${entry}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the template lacks\n${entry}\n--- made by xgettext ${options}:\n${made}")
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
