# The README's first translated program is the one the package test builds:
# its hello.cpp and CMakeLists.txt appear in the README whole, and so do
# the entries of its German catalogue. -D: README, HELLO_DIR.
file(READ ${README} readme)
foreach(name hello.cpp CMakeLists.txt)
  file(READ ${HELLO_DIR}/${name} text)
  string(FIND "${readme}" "\n${text}```" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README does not show ${HELLO_DIR}/${name} as it is:\n${text}")
  endif()
endforeach()
# Each msgid/msgstr line of the catalogue, as the README indents it.
file(STRINGS ${HELLO_DIR}/po/de.po entries ENCODING UTF-8 REGEX "^msg(id|id_plural|str(\\[[0-9]\\])?) \"[^\"]")
foreach(entry IN LISTS entries)
  string(FIND "${readme}" "       ${entry}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README's German catalogue lacks: ${entry}")
  endif()
endforeach()
